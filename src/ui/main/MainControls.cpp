// The main window's controls at their design places: the strip above the
// scene, the bottom panel with its pages, and the run and parameter controls.
#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>
#include <utility>

#include "ui/Session.h"
#include "ui/main/FormulaBox.h"
#include "ui/main/ListingPage.h"
#include "ui/main/Main.h"
#include "ui/main/NavigationPad.h"
#include "ui/main/SceneView.h"
#include "ui/main/WallBar.h"
#include "ui/widgets/KeyFilter.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/ParameterFields.h"
#include "ui/widgets/StringGrid.h"
#include "ui/widgets/ToolTips.h"
#include "ui/widgets/Widgets.h"

namespace vorun {

namespace {

// A choice's button: its caption from the choice's table, and the value as
// its id in the group, which is how the settings read it back.
template <class Row, std::size_t N>
QRadioButton* ChoiceRadio(QButtonGroup* group, QWidget* parent, const std::array<Row, N>& rows,
                          decltype(Row::value) value, int x, int y, int w, int h) {
  QRadioButton* b = MakeRadio(parent, RowOf(rows, value)->caption, x, y, w, h);
  group->addButton(b, static_cast<int>(value));
  return b;
}

}  // namespace

void TMainForm::CreateControls() {
  // The strip of the wall choices above the scene, so that they hide none of it.
  Desktop = new QWidget(this);
  auto* column = new QVBoxLayout(Desktop);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  TopStrip = new TWallBar(Desktop, DesignWidth);
  SceneView = new TSceneView(this, QSize(DesignWidth, DesignSceneHeight + PanHeight));
  connect(SceneView, &TSceneView::Unpainted, this, &TMainForm::FormPaint);
  connect(SceneView, &TSceneView::Resized, this, &TMainForm::FormResize);
  connect(SceneView, &TSceneView::MousePressed, this, &TMainForm::FormMouseDown);
  connect(SceneView, &TSceneView::MouseReleased, this, &TMainForm::FormMouseUp);
  column->addWidget(TopStrip);
  column->addWidget(SceneView, 1);
  CreateTopControls();
  CreatePanel();
  NameControls();
}

void TMainForm::NameControls() {
  const std::pair<QObject*, const char*> names[] = {
      {Desktop, "Desktop"},
      {SceneView, "SceneView"},
      {Bevel, "Bevel"},
      {Pan, "Pan"},
      {PageControl, "PageControl"},
      {TabSheet2, "TabSheet2"},
      {Comment, "Comment"},
      {FName, "FName"},
      {RadioGroup2, "RadioGroup2"},
      {Taoscope, "Taoscope"},
      {Gravoscope, "Gravoscope"},
      {Panel1, "Panel1"},
      {Label1, "Label1"},
      {LTime, "LTime"},
      {DtLabel, "DtLabel"},
      {Null00, "Null00"},
      {ShapeLime, "ShapeLime"},
      {ShapeRed, "ShapeRed"},
      {Go, "Go"},
      {TrackBar, "TrackBar"},
      {ShowList, "ShowList"},
      {Warm, "Warm"},
      {Cool, "Cool"},
      {ScopeGroup, "ScopeGroup"},
  };
  // The eleven parameter fields are named where the table of fields makes them.
  for (const auto& [control, name] : names) control->setObjectName(name);
}

void TMainForm::CreateTopControls() {
  Bevel = new QFrame(SceneView);
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
  TabSheet1 = new TListingPage;
  TabSheet2 = new QWidget;
  PageControl->addTab(TabSheet1, "Listing");
  PageControl->addTab(TabSheet2, "Commentary");
  PageControl->setCurrentIndex(0);
  connect(TabSheet1, &TListingPage::GridDoubleClicked, this, &TMainForm::DaonsTableDblClick);
  connect(PageControl, &QTabWidget::currentChanged, this, [this] {
    if (PageControl->currentWidget() == TabSheet1) FillListing();
  });

  Comment = new QPlainTextEdit("No Comment", TabSheet2);
  Comment->setGeometry(0, 0, 341, 123);
  connect(Comment, &QPlainTextEdit::textChanged, this, &TMainForm::CommentChange);

  FName = MakeField(Pan, "File Name", 0, 176, 353, 21);
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
  ScopeGroup = new QButtonGroup(this);
  Taoscope = ChoiceRadio(ScopeGroup, Pan, ScopeChoices, Scope::Taoscope, 120, 0, 105, 17);
  Gravoscope = ChoiceRadio(ScopeGroup, Pan, ScopeChoices, Scope::Gravoscope, 120, 0, 225, 25);
  for (QRadioButton* b : {Taoscope, Gravoscope}) {
    b->setFont(scopeFont);
    SetTextColour(b, ColourBlue);
  }
  // Gravoscope lies over Taoscope. Its circle sits at its right end and it
  // takes only the clicks on its own circle and caption, so Taoscope beneath
  // stays visible and can be chosen.
  Gravoscope->setLayoutDirection(Qt::RightToLeft);
  Gravoscope->setChecked(true);

  Panel1 = new QFrame(Pan);
  // Tall enough for Go and the lower arrows (their bottom edge at 202) inside its frame.
  Panel1->setGeometry(362, 1, 231, 203);
  Panel1->setFrameShape(QFrame::StyledPanel);
  CreateRunPanel();
}

void TMainForm::CreateRunPanel() {
  QWidget* p = Panel1;
  // One button a row of the formula table, and the shell check boxes.
  FormulaBox = new TFormulaBox(p);

  Label1 = MakeLabel(p, "Time:", 0, 96);
  SetBold(Label1);
  SetTextColour(Label1, ColourNavy);
  Label1->adjustSize();
  LTime = MakeLabel(p, "0", 40, 96);
  SetBold(LTime);
  // Wide enough for any step count: a long run must not lose digits at the edge.
  LTime->resize(QFontMetrics(LTime->font()).horizontalAdvance("2147483647") + 2, LTime->height());
  DtLabel = MakeLabel(p, "dt=", 0, 116);
  EditDT = MakeField(p, ParameterFieldTable[0].designText, 16, 112, 49, 21);

  Null00 = MakeFlatButton(p, "0", 72, 112, 41, 15);
  SetBold(Null00);
  Null00->setToolTip("Make null of velocity");
  connect(Null00, &QToolButton::clicked, this, &TMainForm::Null00Click);

  NavigationPad = new TNavigationPad(p);
  connect(NavigationPad, &TNavigationPad::BackClicked, this, &TMainForm::DaoBackClick);
  connect(NavigationPad, &TNavigationPad::TetaClicked, this, &TMainForm::DaoTetaClick);
  connect(NavigationPad, &TNavigationPad::PsiClicked, this, &TMainForm::DaoPsiClick);
  connect(NavigationPad, &TNavigationPad::PhiClicked, this, &TMainForm::DaoPhiClick);
  connect(NavigationPad, &TNavigationPad::StopClicked, this, &TMainForm::DaoStopClick);
  connect(NavigationPad, &TNavigationPad::Phi1Clicked, this, &TMainForm::DaoPhi1Click);
  connect(NavigationPad, &TNavigationPad::ForvardClicked, this, &TMainForm::DaoForvardClick);
  connect(NavigationPad, &TNavigationPad::Teta1Clicked, this, &TMainForm::DaoTeta1Click);
  connect(NavigationPad, &TNavigationPad::Psi1Clicked, this, &TMainForm::DaoPsi1Click);

  ShapeLime = new TShape(p, ColourLime);
  ShapeLime->setGeometry(94, 153, 19, 21);
  ShapeRed = new TShape(p, ColourMaroon);
  ShapeRed->setGeometry(110, 129, 19, 21);

  Go = new QPushButton("Go", p);
  Go->setGeometry(91, 176, 54, 25);
  Go->setAutoDefault(false);
  Go->setToolTip("Start a run (Enter); stop it (Escape)");
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

  ShowList = MakeCheck(p, "Show Listing", 128, 152, 97, 17);
  SetBold(ShowList);
  // Unticked, a run leaves the listing as it was; ticked, it shows the ensemble at once.
  connect(ShowList, &QCheckBox::toggled, this, [this](bool on) {
    if (on) FillListing();
  });
  Warm = MakeCheck(p, "Heater", 152, 168, 65, 17);
  Cool = MakeCheck(p, "Cooler", 152, 184, 65, 17);
  SetBold(Warm);
  SetBold(Cool);
  SetBackground(Warm, ColourRed);
  SetBackground(Cool, Qt::black);
  SetTextColour(Warm, Qt::white);
  SetTextColour(Cool, Qt::white);

  // The parameters in two columns, set 1 left, a letter a row; the time step
  // field, placed with the run controls above, takes the same filters.
  for (std::size_t i = 0; i < ParameterFieldTable.size(); ++i) {
    const ParameterField& entry = ParameterFieldTable[i];
    QLineEdit* field;
    if (entry.set == 0) {
      field = EditDT;
    } else {
      const int column = entry.set == 1 ? 136 : 192;
      const int row = static_cast<int>(i - 1) % 5;
      field = MakeField(Panel1, entry.designText, column, 24 * row, 33, 21);
      SetBase(field, entry.set == 1 ? ColourLime : ColourYellow);
      QLabel* label = MakeLabel(Panel1, entry.name, column - 17, 24 * row + 3);
      label->resize(16, label->height());
    }
    field->setObjectName(QString("Edit") + entry.name);
    AttachNumericKeyFilter(field);
    ShowWholeTextWhenCut(field);
    parameterFields_[i] = field;
  }
}

}  // namespace vorun
