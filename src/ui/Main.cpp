// The main window's controls at their design places, the layout rule of the
// bottom panel, the keys of the window (numeric filter, Go's default and cancel
// roles), the parameter fields, the paint event and the spin timer.
#include "ui/Main.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <cmath>

#include "model/Global.h"
#include "model/NumberText.h"
#include "ui/Dialogs.h"
#include "ui/KeyFilter.h"
#include "ui/Palette.h"
#include "ui/StringGrid.h"
#include "ui/ToolTips.h"
#include "ui/WindowState.h"

namespace vorun {

TMainForm* MainForm = nullptr;

namespace {

// The design: the client area is 604 wide, the scene 176 high above the panel.
constexpr int DesignWidth = 604;
constexpr int DesignSceneHeight = 176;
constexpr int PanHeight = 201;
constexpr int TimerPeriodMs = 300;

void SetBackground(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  p.setColor(QPalette::Button, colour);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

QRadioButton* Radio(QWidget* parent, const QString& caption, int x, int y, int w, int h) {
  auto* b = new QRadioButton(caption, parent);
  b->setGeometry(x, y, w, h);
  return b;
}

QCheckBox* Check(QWidget* parent, const QString& caption, int x, int y, int w, int h) {
  auto* b = new QCheckBox(caption, parent);
  b->setGeometry(x, y, w, h);
  return b;
}

QLineEdit* Field(QWidget* parent, const QString& text, int x, int y, int w, int h) {
  auto* e = new QLineEdit(text, parent);
  e->setGeometry(x, y, w, h);
  e->setCursorPosition(0);
  return e;
}

QLabel* Label(QWidget* parent, const QString& caption, int x, int y) {
  auto* l = new QLabel(caption, parent);
  l->move(x, y);
  l->adjustSize();
  return l;
}

// A flat button of the arrow pad. The arrows stand for the symbol-font codes of
// the design (0xEC, 0xED zoom; 0xEF-0xF2 and 0xF6, 0xF7 rotation).
QToolButton* FlatButton(QWidget* parent, const QString& caption, int x, int y, int w, int h) {
  auto* b = new QToolButton(parent);
  b->setText(caption);
  b->setAutoRaise(true);
  b->setFocusPolicy(Qt::NoFocus);
  b->setGeometry(x, y, w, h);
  return b;
}

// Half a pixel count taken to the nearest integer, ties to even.
std::int32_t HalfRounded(int pixels) {
  return static_cast<std::int32_t>(std::nearbyint(static_cast<Extended80>(pixels) / 2));
}

}  // namespace

char LocaleDecimalSeparator(const QLocale& locale) {
  const QString separator = locale.decimalPoint();
  if (separator.size() == 1 && separator.at(0).unicode() > 32 && separator.at(0).unicode() < 127)
    return separator.at(0).toLatin1();
  return '.';
}

void SetUpApplication() {
  // As the application name, not the display name: Qt would add a display
  // name to the caption of every other window.
  QApplication::setApplicationName("Vorun - Quarvel");
  DecimalSeparator = LocaleDecimalSeparator(QLocale());
}

// --- TShape -------------------------------------------------------------------

TShape::TShape(QWidget* parent, QColor brush) : QWidget(parent), brush_(brush) {}

void TShape::SetBrushColour(QColor colour) {
  brush_ = colour;
  update();
}

void TShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::black);
  painter.setBrush(brush_);
  painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

// --- TSceneView ------------------------------------------------------------------

TSceneView::TSceneView(TMainForm* form) : QWidget(form), form_(form) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  image_ = QImage(DesignWidth, DesignSceneHeight + PanHeight, QImage::Format_RGB32);
  image_.fill(Qt::black);
}

void TSceneView::ImageChanged() {
  fresh_ = true;
  update();
}

void TSceneView::paintEvent(QPaintEvent*) {
  if (!fresh_) form_->FormPaint();
  fresh_ = false;
  QPainter painter(this);
  painter.drawImage(0, 0, image_);
}

void TSceneView::resizeEvent(QResizeEvent*) {
  if (image_.size() != size() && !size().isEmpty()) {
    QImage resized(size(), QImage::Format_RGB32);
    resized.fill(Qt::black);
    QPainter painter(&resized);
    painter.drawImage(0, 0, image_);
    painter.end();
    image_ = resized;
  }
  form_->FormResize();
}

void TSceneView::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  form_->FormMouseDown(event->button(), p.x(), p.y());
}

void TSceneView::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  form_->FormMouseUp(event->button(), p.x(), p.y());
}

// --- TMainForm: construction --------------------------------------------------

TMainForm::TMainForm() {
  MainForm = this;
  setWindowTitle("Vorun - Quarvel");
  // The design places assume a small dialog font; every control inherits it.
  QFont small = font();
  small.setFamilies({"Tahoma", "MS Sans Serif", "DejaVu Sans Condensed", small.family()});
  small.setPixelSize(11);
  setFont(small);
  CreateControls();
  CreateActions();
  CreateNavigationKeys();

  setCentralWidget(SceneView);
  resize(DesignWidth, DesignSceneHeight + PanHeight + menuBar()->sizeHint().height());
  SceneView->resize(DesignWidth, DesignSceneHeight + PanHeight);
  Pan->setGeometry(0, DesignSceneHeight, DesignWidth, PanHeight);
  // Smaller, the panel would slide under the menu bar and take Go and the
  // fields out of reach; larger, the scene grows.
  setMinimumSize(size());
  ApplyLayoutRule();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect available = screen->availableGeometry();
    move(available.center() - QPoint(width() / 2, height() / 2));
  }

  Timer = new QTimer(this);
  Timer->setInterval(TimerPeriodMs);
  connect(Timer, &QTimer::timeout, this, &TMainForm::TimerTimer);

  // Enter and Escape reach the window from whichever control has the focus.
  qApp->installEventFilter(this);

  FormCreate();
  Timer->start();
}

TMainForm::~TMainForm() {
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::CreateControls() {
  SceneView = new TSceneView(this);
  CreateTopControls();
  CreatePanel();
}

void TMainForm::CreateTopControls() {
  QWidget* top = SceneView;
  Blockade = Check(top, "* Blockade  X, Y, Z in positions - 1 -:- 4 *", 0, 0, 361, 17);
  Thermosout = Radio(top, "ThermosOUT", 0, 16, 89, 17);
  Thermos3X3 = Radio(top, "Thermos3X3", 88, 16, 89, 17);
  Thermos20X20 = Radio(top, "Thermos20X20", 176, 16, 97, 17);
  ThermosNXN = Radio(top, "ThermosNXN", 272, 16, 89, 17);
  Thermosout->setChecked(true);
  ThermostatGroup = new QButtonGroup(this);
  for (QAbstractButton* b :
       {static_cast<QAbstractButton*>(Thermosout), static_cast<QAbstractButton*>(Thermos3X3),
        static_cast<QAbstractButton*>(Thermos20X20), static_cast<QAbstractButton*>(ThermosNXN)})
    ThermostatGroup->addButton(b);
  // Over the black scene the controls keep a panel background of their own,
  // and a click on them is theirs, not a drag over the scene.
  for (QWidget* w :
       {static_cast<QWidget*>(Blockade), static_cast<QWidget*>(Thermosout), static_cast<QWidget*>(Thermos3X3),
        static_cast<QWidget*>(Thermos20X20), static_cast<QWidget*>(ThermosNXN)}) {
    w->setAutoFillBackground(true);
    w->setAttribute(Qt::WA_NoMousePropagation);
  }

  Bevel = new QFrame(top);
  Bevel->setGeometry(0, 0, 4, 4);
  Bevel->hide();
}

void TMainForm::CreatePanel() {
  Pan = new QFrame(SceneView);
  Pan->setAutoFillBackground(true);
  // Clicks that the panel's controls leave alone (labels, frames, empty
  // places) end here: only the scene itself turns the view.
  Pan->setAttribute(Qt::WA_NoMousePropagation);
  Pan->setGeometry(0, DesignSceneHeight, DesignWidth, PanHeight);

  PageControl = new QTabWidget(Pan);
  PageControl->setGeometry(2, 8, 359, 169);
  TabSheet1 = new QWidget;
  TabSheet2 = new QWidget;
  PageControl->addTab(TabSheet1, "Listing");
  PageControl->addTab(TabSheet2, "Commentary");
  PageControl->setCurrentIndex(0);
  CreateListingPage();

  Comment = new QPlainTextEdit("No Comment", TabSheet2);
  Comment->setGeometry(0, 0, 341, 123);
  connect(Comment, &QPlainTextEdit::textChanged, this, &TMainForm::CommentChange);

  FName = Field(Pan, "File Name", 0, 176, 353, 21);
  SetBase(FName, ColourSilver);
  SetTextColour(FName, ColourBlue);
  SetBold(FName);

  RadioGroup2 = new QFrame(Pan);
  RadioGroup2->setGeometry(120, 0, 225, 17);

  // 19-pixel bold Times New Roman; a wider substitute shrinks until both
  // captions fit beside each other on the shared place.
  QFont scopeFont("Times New Roman");
  scopeFont.setStyleHint(QFont::Serif);
  scopeFont.setBold(true);
  for (int pixels = 19; pixels > 9; --pixels) {
    scopeFont.setPixelSize(pixels);
    const QFontMetrics m(scopeFont);
    if (m.horizontalAdvance("Taoscope") <= 84 && m.horizontalAdvance("Gravoscope") <= 96) break;
  }
  Taoscope = Radio(Pan, "Taoscope", 120, 0, 105, 17);
  Gravoscope = Radio(Pan, "Gravoscope", 120, 0, 225, 25);
  for (QRadioButton* b : {Taoscope, Gravoscope}) {
    b->setFont(scopeFont);
    SetTextColour(b, ColourBlue);
  }
  // Gravoscope lies over Taoscope. Its circle sits at its right end and it
  // takes only the clicks on its own circle and caption, so Taoscope beneath
  // stays visible and can be chosen.
  Gravoscope->setLayoutDirection(Qt::RightToLeft);
  {
    const int textWidth = QFontMetrics(scopeFont).horizontalAdvance(Gravoscope->text()) + 24;
    Gravoscope->setMask(QRegion(Gravoscope->width() - textWidth, 0, textWidth, Gravoscope->height()));
  }
  Gravoscope->setChecked(true);
  ScopeGroup = new QButtonGroup(this);
  ScopeGroup->addButton(Taoscope);
  ScopeGroup->addButton(Gravoscope);

  Panel1 = new QFrame(Pan);
  Panel1->setGeometry(362, 1, 231, 200);
  Panel1->setFrameShape(QFrame::StyledPanel);
  CreateRunPanel();
}

void TMainForm::CreateListingPage() {
  DaonsTable = new StringGrid(4, 61, TabSheet1);
  DaonsTable->setGeometry(0, 6, 349, 99);
  DaonsTable->SetDefaultColumnWidth(80);
  DaonsTable->SetDefaultRowHeight(18);
  DaonsTable->SetRowHeight(1, 20);
  // A value wider than its column is cut at the edge, not shortened to an ellipsis.
  DaonsTable->setTextElideMode(Qt::ElideNone);
  connect(DaonsTable, &StringGrid::DoubleClicked, this, &TMainForm::DaonsTableDblClick);

  Colours = new QGroupBox("Colours", TabSheet1);
  Colours->setGeometry(-4, 104, 353, 41);
  Ak = Radio(TabSheet1, QString(), 8, 120, 17, 17);
  Edit7 = Field(TabSheet1, "1  -:- 30", 24, 120, 49, 21);
  Edit8 = Field(TabSheet1, "31 -:- 60", 72, 120, 49, 21);
  SetBase(Edit7, ColourLime);
  SetBase(Edit8, ColourYellow);
  Bk = Radio(TabSheet1, "Bk", -103, 120, 104, 17);
  Ck = Radio(TabSheet1, "Ck", -32, 120, 33, 17);
  Ak->setChecked(true);
  SplitGroup = new QButtonGroup(this);
  SplitGroup->addButton(Ak);
  SplitGroup->addButton(Bk);
  SplitGroup->addButton(Ck);
}

void TMainForm::CreateRunPanel() {
  QWidget* p = Panel1;
  RadioGroup1 = new QGroupBox("Formula", p);
  RadioGroup1->setGeometry(0, 0, 113, 89);
  ExpoPolyExpSum = Radio(RadioGroup1, "EPES", 8, 16, 56, 17);
  EPESminus = Radio(RadioGroup1, "EPES-", 64, 16, 49, 17);
  Exponential = Radio(RadioGroup1, "E", 64, 32, 49, 17);
  PolyExpon = Radio(RadioGroup1, "PE", 64, 48, 49, 17);
  PolyExpSum = Radio(RadioGroup1, "PES", 64, 64, 49, 17);
  SetTextColour(PolyExpSum, ColourBlue);
  Exponential->setChecked(true);
  FormulaGroup = new QButtonGroup(this);
  for (QRadioButton* b : {ExpoPolyExpSum, EPESminus, Exponential, PolyExpon, PolyExpSum})
    FormulaGroup->addButton(b);
  CheckBox1 = Check(RadioGroup1, "(1+6)'", 8, 32, 56, 17);
  CheckBox2 = Check(RadioGroup1, "(2)'", 8, 49, 56, 17);
  CheckBox3 = Check(RadioGroup1, "(3-:-5)'", 8, 64, 56, 17);
  for (QCheckBox* b : {CheckBox1, CheckBox2, CheckBox3}) SetTextColour(b, ColourBlue);

  Label1 = Label(p, "Time:", 0, 96);
  SetBold(Label1);
  SetTextColour(Label1, ColourNavy);
  Label1->adjustSize();
  LTime = Label(p, "0", 40, 96);
  SetBold(LTime);
  // Wide enough for any step count: a long run must not lose digits at the edge.
  LTime->resize(QFontMetrics(LTime->font()).horizontalAdvance("2147483647") + 2, LTime->height());
  DtLabel = Label(p, "dt=", 0, 116);
  EditDT = Field(p, "0", 16, 112, 49, 21);

  Null00 = FlatButton(p, "0", 72, 112, 41, 15);
  SetBold(Null00);
  Null00->setToolTip("Make null of velocity");
  connect(Null00, &QToolButton::clicked, this, &TMainForm::Null00Click);

  DaoBack = FlatButton(p, QString(QChar(0x2B08)), 4, 131, 37, 22);
  DaoTeta = FlatButton(p, QString(QChar(0x21E7)), 44, 131, 23, 22);
  DaoPsi = FlatButton(p, QString(QChar(0x2B01)), 68, 131, 23, 22);
  DaoPhi = FlatButton(p, QString(QChar(0x21E6)), 20, 155, 23, 22);
  DaoStop = FlatButton(p, QString(), 44, 155, 23, 22);
  DaoPhi1 = FlatButton(p, QString(QChar(0x21E8)), 68, 155, 23, 22);
  DaoForvard = FlatButton(p, QString(QChar(0x2B0B)), 4, 179, 37, 22);
  DaoTeta1 = FlatButton(p, QString(QChar(0x21E9)), 44, 179, 23, 22);
  DaoPsi1 = FlatButton(p, QString(QChar(0x2B03)), 68, 179, 23, 22);
  for (QToolButton* b : {DaoBack, DaoTeta, DaoPsi, DaoPhi, DaoPhi1, DaoForvard, DaoTeta1, DaoPsi1}) {
    QFont f = b->font();
    f.setPixelSize(16);
    b->setFont(f);
  }
  connect(DaoBack, &QToolButton::clicked, this, &TMainForm::DaoBackClick);
  connect(DaoTeta, &QToolButton::clicked, this, &TMainForm::DaoTetaClick);
  connect(DaoPsi, &QToolButton::clicked, this, &TMainForm::DaoPsiClick);
  connect(DaoPhi, &QToolButton::clicked, this, &TMainForm::DaoPhiClick);
  connect(DaoStop, &QToolButton::clicked, this, &TMainForm::DaoStopClick);
  connect(DaoPhi1, &QToolButton::clicked, this, &TMainForm::DaoPhi1Click);
  connect(DaoForvard, &QToolButton::clicked, this, &TMainForm::DaoForvardClick);
  connect(DaoTeta1, &QToolButton::clicked, this, &TMainForm::DaoTeta1Click);
  connect(DaoPsi1, &QToolButton::clicked, this, &TMainForm::DaoPsi1Click);

  ShapeLime = new TShape(p, ColourLime);
  ShapeLime->setGeometry(94, 153, 19, 21);
  ShapeRed = new TShape(p, ColourMaroon);
  ShapeRed->setGeometry(110, 129, 19, 21);

  Go = new QPushButton("Go", p);
  Go->setGeometry(91, 176, 54, 25);
  Go->setAutoDefault(false);
  Go->setEnabled(false);
  SetGoKind(GoKind::OK);
  connect(Go, &QPushButton::clicked, this, &TMainForm::GoClick);

  TrackBar = new QSlider(Qt::Horizontal, p);
  TrackBar->setGeometry(144, 120, 81, 33);
  TrackBar->setRange(0, 10);
  TrackBar->setPageStep(2);
  TrackBar->setTickPosition(QSlider::TicksBelow);
  TrackBar->setTickInterval(1);
  TrackBar->setValue(5);
  TrackBar->setToolTip("Amplitude");
  connect(TrackBar, &QSlider::valueChanged, this, &TMainForm::TrackBarChange);

  ShowList = Check(p, "Show Listing", 128, 152, 97, 17);
  SetBold(ShowList);
  Warm = Check(p, "Heater", 152, 168, 65, 17);
  Cool = Check(p, "Cooler", 152, 184, 65, 17);
  SetBold(Warm);
  SetBold(Cool);
  SetBackground(Warm, ColourRed);
  SetBackground(Cool, Qt::black);
  SetTextColour(Warm, Qt::white);
  SetTextColour(Cool, Qt::white);

  const char* names[2][5] = {{"A1", "B1", "C1", "D1", "F1"}, {"A2", "B2", "C2", "D2", "F2"}};
  const char* texts[5] = {"1", "1", "2", "3", "4"};
  QLineEdit** fields[2][5] = {{&EditA1, &EditB1, &EditC1, &EditD1, &EditF1},
                              {&EditA2, &EditB2, &EditC2, &EditD2, &EditF2}};
  for (int set = 0; set < 2; ++set) {
    const int column = set == 0 ? 136 : 192;
    for (int row = 0; row < 5; ++row) {
      QLineEdit* field = Field(p, texts[row], column, 24 * row, 33, 21);
      SetBase(field, set == 0 ? ColourLime : ColourYellow);
      *fields[set][row] = field;
      QLabel* label = Label(p, names[set][row], column - 17, 24 * row + 3);
      label->resize(16, label->height());
    }
  }
  for (QLineEdit* field :
       {EditDT, EditA1, EditB1, EditC1, EditD1, EditF1, EditA2, EditB2, EditC2, EditD2, EditF2}) {
    AttachNumericKeyFilter(field);
    ShowWholeTextWhenCut(field);
  }
}

namespace {

// The two glyphs of Go, drawn here so that they look the same under every
// style: a green tick for OK, a red cross for Cancel.
QIcon GoGlyph(GoKind kind) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  if (kind == GoKind::OK) {
    painter.setPen(QPen(QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
  } else {
    painter.setPen(QPen(QColor(200, 0, 0), 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    painter.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
  }
  return QIcon(pixmap);
}

}  // namespace

void TMainForm::SetGoKind(GoKind kind) {
  goKind_ = kind;
  Go->setIcon(GoGlyph(kind));
}

// --- layout --------------------------------------------------------------------

// The left column of the panel follows the left edge of Panel1, which keeps its
// place; so the widths do not follow the window.
void TMainForm::ApplyLayoutRule() {
  const int L = Panel1->x();
  FName->resize(L - 2, FName->height());
  Comment->resize(Comment->width(), PageControl->height() - 29);
  Comment->resize(L - 2, Comment->height());
  PageControl->resize(L - 5, PageControl->height());
  DaonsTable->resize(L - 7, DaonsTable->height());
  DaonsTable->SetDefaultColumnWidth((L - 35) / 6);
}

void TMainForm::UpdateSceneCentre() {
  View.CenterX = HalfRounded(width());
  View.CenterY = HalfRounded(Pan->y());
}

void TMainForm::FormResize() {
  Pan->setGeometry(0, SceneView->height() - PanHeight, SceneView->width(), PanHeight);
  UpdateSceneCentre();
  ApplyLayoutRule();
  PaintCurrentMode();
}

// --- drawing -------------------------------------------------------------------

vorun::Scene TMainForm::MakeScene() {
  const Scope scope = Taoscope->isChecked() ? Scope::Taoscope : Scope::Gravoscope;
  const ColourSplit split = Ak->isChecked()   ? ColourSplit::Ak
                            : Bk->isChecked() ? ColourSplit::Bk
                                              : ColourSplit::Ck;
  return vorun::Scene{
      SceneView->Canvas(),     width(), Pan->y(), scope, split, Ensemble, View, Run.SpiralMode != 0,
      Display.ShowNumbers != 0};
}

void TMainForm::PaintTaons() {
  DrawTaons(MakeScene());
  SceneView->ImageChanged();
}

void TMainForm::PaintSpiral() {
  DrawSpiral(MakeScene());
  SceneView->ImageChanged();
}

void TMainForm::PaintCurrentMode() {
  Redraw(MakeScene());
  SceneView->ImageChanged();
}

void TMainForm::FormPaint() {
  UpdateSceneCentre();
  if (Run.SpiralMode != 0) {
    DrawSpiral(MakeScene());
  } else {
    FileName = LastFileName;
    DrawTaons(MakeScene());
    FillListing();
  }
}

void TMainForm::TimerTimer() {
  if (Display.SpinOn != 0) PaintCurrentMode();
}

void TMainForm::ShowSpinClick() { Display.SpinOn = ShowSpin->isChecked() ? 1 : 0; }

void TMainForm::ShowNumbersOfPointsClick() {
  Display.ShowNumbers = ShowNumbersOfPoints->isChecked() ? 1 : 0;
  PaintCurrentMode();
}

// --- settings read from the controls ----------------------------------------------

StepSettings TMainForm::CurrentStepSettings() const {
  StepSettings s;
  if (PolyExpon->isChecked())
    s.law.formula = Formula::PolyExpon;
  else if (Exponential->isChecked())
    s.law.formula = Formula::Exponential;
  else if (PolyExpSum->isChecked())
    s.law.formula = Formula::PolyExpSum;
  else if (ExpoPolyExpSum->isChecked())
    s.law.formula = Formula::ExpoPolyExpSum;
  else
    s.law.formula = Formula::EPESminus;
  s.law.colourSplit = Ak->isChecked() ? ColourSplit::Ak : Bk->isChecked() ? ColourSplit::Bk : ColourSplit::Ck;
  s.law.scope = Taoscope->isChecked() ? Scope::Taoscope : Scope::Gravoscope;
  s.law.checkBox2 = CheckBox2->isChecked();
  s.law.checkBox3 = CheckBox3->isChecked();
  s.blockade = Blockade->isChecked();
  s.heater = Warm->isChecked();
  s.cooler = Cool->isChecked();
  if (Thermos3X3->isChecked())
    s.wall = WallMode::Thermos3X3;
  else if (Thermos20X20->isChecked())
    s.wall = WallMode::Thermos20X20;
  else if (ThermosNXN->isChecked())
    s.wall = WallMode::ThermosNXN;
  else
    s.wall = WallMode::Thermosout;
  return s;
}

// --- parameter fields ----------------------------------------------------------------

void TMainForm::RefreshParameterFields() {
  const std::pair<QLineEdit*, Extended80> values[] = {
      {EditDT, Ensemble.TimeStep}, {EditA1, Ensemble.A1}, {EditB1, Ensemble.B1}, {EditC1, Ensemble.C1},
      {EditD1, Ensemble.D1},       {EditF1, Ensemble.F1}, {EditA2, Ensemble.A2}, {EditB2, Ensemble.B2},
      {EditC2, Ensemble.C2},       {EditD2, Ensemble.D2}, {EditF2, Ensemble.F2}};
  for (const auto& [field, value] : values) {
    field->setText(QString::fromStdString(FloatToStr(value)));
    field->setCursorPosition(0);
  }
}

bool TMainForm::EditDTExit() {
  bool taken = false;
  Guarded(this, [&] {
    Ensemble.TimeStep = StrToFloat(EditDT->text().toStdString());
    taken = true;
  });
  return taken;
}

// The parameter fields commit like EditDT: a user who edits a shown value
// expects it to take effect.
bool TMainForm::ParameterFieldExit(QLineEdit* field) {
  if (field == EditDT) return EditDTExit();
  const std::pair<QLineEdit*, Extended80*> targets[] = {
      {EditA1, &Ensemble.A1}, {EditB1, &Ensemble.B1}, {EditC1, &Ensemble.C1}, {EditD1, &Ensemble.D1},
      {EditF1, &Ensemble.F1}, {EditA2, &Ensemble.A2}, {EditB2, &Ensemble.B2}, {EditC2, &Ensemble.C2},
      {EditD2, &Ensemble.D2}, {EditF2, &Ensemble.F2}};
  bool taken = true;
  for (const auto& [f, target] : targets) {
    if (f != field) continue;
    taken = false;
    Guarded(this, [&] {
      *target = StrToFloat(field->text().toStdString());
      taken = true;
    });
  }
  return taken;
}

// --- keys and events -------------------------------------------------------------------

namespace {

bool IsParameterField(const TMainForm* form, const QObject* o) {
  for (const QLineEdit* f :
       {form->EditDT, form->EditA1, form->EditB1, form->EditC1, form->EditD1, form->EditF1, form->EditA2,
        form->EditB2, form->EditC2, form->EditD2, form->EditF2})
    if (f == o) return true;
  return false;
}

// A leave, not a window switch: a message box or another window taking the
// focus does not leave the field.
bool IsLeave(const QFocusEvent* focus) {
  return focus->reason() != Qt::ActiveWindowFocusReason && focus->reason() != Qt::PopupFocusReason;
}

}  // namespace

bool TMainForm::TakeFocusedField() {
  QWidget* focused = focusWidget();
  if (!IsParameterField(this, focused)) return true;
  return ParameterFieldExit(static_cast<QLineEdit*>(focused));
}

bool TMainForm::HandleDialogKey(QWidget* target, int key) {
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (enter && (target == Comment || Comment->isAncestorOf(target))) return false;
  if (!Go->isEnabled()) return false;
  if (enter) {
    if (goKind_ == GoKind::OK) Go->click();
    return true;
  }
  if (key == Qt::Key_Escape && goKind_ == GoKind::Cancel) {
    Go->click();
    return true;
  }
  return false;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      auto* widget = qobject_cast<QWidget*>(watched);
      if (widget != nullptr && widget->window() == this && (key->modifiers() & ~Qt::KeypadModifier) == 0 &&
          HandleDialogKey(widget, key->key()))
        return true;
      break;
    }
    case QEvent::FocusOut: {
      auto* focus = static_cast<QFocusEvent*>(event);
      if (!IsLeave(focus)) break;
      if (IsParameterField(this, watched)) {
        ParameterFieldExit(static_cast<QLineEdit*>(watched));
      } else if (watched == Comment) {
        CommentExit();
      }
      break;
    }
    case QEvent::MouseButtonDblClick:
      if (watched == LTime) {
        LTimeDblClick();
        return true;
      }
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace vorun
