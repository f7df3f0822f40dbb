#include "ui/main/RunPanel.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <algorithm>
#include <utility>

#include "model/NumberText.h"
#include "ui/main/FormulaBox.h"
#include "ui/main/NavigationPad.h"
#include "ui/main/SceneView.h"
#include "ui/main/WallBar.h"
#include "ui/widgets/Icons.h"
#include "ui/widgets/KeyFilter.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/ParameterFields.h"
#include "ui/widgets/ToolTips.h"
#include "ui/widgets/Widgets.h"

namespace vorun {

namespace {

// The design gives Null00 41 pixels, too narrow for "Yes Null" in the panel's
// font; the caption takes the largest font size that shows it whole.
void SetFittedCaption(QToolButton* button, const QString& caption) {
  QFont f = button->parentWidget()->font();
  f.setBold(true);
  const int room = button->width() - 4;
  while (f.pixelSize() > 8 && QFontMetrics(f).horizontalAdvance(caption) > room)
    f.setPixelSize(f.pixelSize() - 1);
  button->setFont(f);
  button->setText(caption);
}

}  // namespace

TRunPanel::TRunPanel(QWidget* parent) : QFrame(parent) {
  // Tall enough for Go and the lower arrows (their bottom edge at 202) inside its frame.
  setGeometry(362, 1, 231, 203);
  setFrameShape(QFrame::StyledPanel);
  QWidget* p = this;
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
  LTime->installEventFilter(this);
  DtLabel = MakeLabel(p, "dt=", 0, 116);
  EditDT = MakeField(p, ParameterFieldTable[0].designText, 16, 112, 49, 21);

  Null00 = MakeFlatButton(p, "0", 72, 112, 41, 15);
  SetBold(Null00);
  Null00->setToolTip("Make null of velocity");
  connect(Null00, &QToolButton::clicked, this, &TRunPanel::NullClicked);

  NavigationPad = new TNavigationPad(p);

  ShapeLime = new TShape(p, ColourLime);
  ShapeLime->setGeometry(94, 153, 19, 21);
  ShapeRed = new TShape(p, ColourMaroon);
  ShapeRed->setGeometry(110, 129, 19, 21);

  Go = new QPushButton("Go", p);
  Go->setGeometry(91, 176, 54, 25);
  Go->setAutoDefault(false);
  Go->setToolTip("Start a run (Enter); stop it (Escape)");
  Go->setEnabled(false);
  connect(Go, &QPushButton::clicked, this, &TRunPanel::GoClicked);

  TrackBar = new QSlider(Qt::Horizontal, p);
  TrackBar->setGeometry(144, 120, 81, 33);
  TrackBar->setRange(0, 10);
  TrackBar->setPageStep(2);
  TrackBar->setTickPosition(QSlider::TicksBelow);
  TrackBar->setTickInterval(1);
  TrackBar->setValue(5);
  TrackBar->setToolTip("Amplitude");
  connect(TrackBar, &QSlider::valueChanged, this, &TRunPanel::AmplitudeChanged);

  ShowList = MakeCheck(p, "Show Listing", 128, 152, 97, 17);
  SetBold(ShowList);
  // Unticked, a run leaves the listing as it was; ticked, it shows the ensemble at once.
  connect(ShowList, &QCheckBox::toggled, this, [this](bool on) {
    if (on) emit ListingWanted();
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
      field = MakeField(p, entry.designText, column, 24 * row, 33, 21);
      SetBase(field, entry.set == 1 ? ColourLime : ColourYellow);
      QLabel* label = MakeLabel(p, entry.name, column - 17, 24 * row + 3);
      label->resize(16, label->height());
    }
    field->setObjectName(QString("Edit") + entry.name);
    AttachNumericKeyFilter(field);
    ShowWholeTextWhenCut(field);
    field->installEventFilter(this);
    fields_[i] = field;
  }

  const std::pair<QObject*, const char*> names[] = {
      {this, "Panel1"},       {Label1, "Label1"},       {LTime, "LTime"},       {DtLabel, "DtLabel"},
      {Null00, "Null00"},     {ShapeLime, "ShapeLime"}, {ShapeRed, "ShapeRed"}, {Go, "Go"},
      {TrackBar, "TrackBar"}, {ShowList, "ShowList"},   {Warm, "Warm"},         {Cool, "Cool"},
  };
  for (const auto& [control, name] : names) control->setObjectName(name);
  SetGoKind(GoKind::OK);
}

StepSettings TRunPanel::Settings(const TWallBar& walls, ColourSplit split, Scope scope) const {
  StepSettings s;
  FormulaBox->ReadInto(s.law);
  s.law.colourSplit = split;
  s.law.scope = scope;
  s.heater = Warm->isChecked();
  s.cooler = Cool->isChecked();
  walls.ReadInto(s);
  return s;
}

// --- parameter fields ------------------------------------------------------------

void TRunPanel::ShowParameters(const EnsembleState& e) {
  for (std::size_t i = 0; i < ParameterFieldTable.size(); ++i)
    ShowFromStart(fields_[i], NumberText(e.*ParameterFieldTable[i].member));
}

void TRunPanel::TakeParameter(std::size_t index, EnsembleState& e) const {
  e.*ParameterFieldTable.at(index).member = StrToFloat(fields_.at(index)->text().toStdString());
}

std::optional<std::size_t> TRunPanel::ParameterIndex(const QObject* o) const {
  const auto found = std::find(fields_.begin(), fields_.end(), o);
  if (found == fields_.end()) return std::nullopt;
  return static_cast<std::size_t>(found - fields_.begin());
}

// --- run controls -------------------------------------------------------------------

void TRunPanel::ShowRunning(bool running) {
  SetGoKind(running ? GoKind::Cancel : GoKind::OK);
  Go->setText(running ? "Stop" : "Go");
  ShapeRed->SetBrushColour(running ? ColourRed : ColourMaroon);
  ShapeLime->SetBrushColour(running ? ColourGreen : ColourLime);
  Null00->setEnabled(!running);
  if (!running) return;
  SetFittedCaption(Null00, "0");
  SetTextColour(Null00, ColourMaroon);
}

void TRunPanel::SetRunnable(bool runnable) {
  Go->setEnabled(runnable);
  Null00->setEnabled(runnable);
}

void TRunPanel::SetGoKind(GoKind kind) {
  goKind_ = kind;
  Go->setIcon(kind == GoKind::OK ? MakeOkGlyph() : MakeCancelGlyph());
}

bool TRunPanel::PressGoFor(int key) {
  if (!Go->isEnabled()) return false;
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    if (goKind_ == GoKind::OK) Go->click();
    return true;
  }
  if (key == Qt::Key_Escape && goKind_ == GoKind::Cancel) {
    Go->click();
    return true;
  }
  return false;
}

void TRunPanel::ShowStepCount(std::int32_t step) { LTime->setText(QString::number(step)); }

void TRunPanel::ShowNulled() {
  SetFittedCaption(Null00, "Yes Null");
  SetTextColour(Null00, ColourMaroon);
}

bool TRunPanel::ListingFollowsRun() const { return ShowList->isChecked(); }

int TRunPanel::Amplitude() const { return TrackBar->value(); }

bool TRunPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && IsLeave(static_cast<QFocusEvent*>(event))) {
    if (const std::optional<std::size_t> index = ParameterIndex(watched)) emit ParameterFieldLeft(*index);
  } else if (event->type() == QEvent::MouseButtonDblClick && watched == LTime) {
    emit TimeDoubleClicked();
    return true;
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace vorun
