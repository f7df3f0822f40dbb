// The main window's construction, the layout rule of the bottom panel, Enter
// and Escape for the whole window, the parameter fields' commits, the paint
// event and the spin timer.
#include "ui/main/Main.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

#include "model/Global.h"
#include "model/NumberText.h"
#include "ui/Session.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/main/ListingPage.h"
#include "ui/main/RunPanel.h"
#include "ui/main/WallBar.h"
#include "ui/widgets/ChoiceButtons.h"
#include "ui/widgets/StringGrid.h"
#include "ui/widgets/Widgets.h"
#include "ui/widgets/WindowPlaces.h"
#include "view/Navigation.h"

namespace vorun {

namespace {

constexpr int TimerPeriodMs = 300;

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

// --- TMainForm: construction --------------------------------------------------

TMainForm::TMainForm(Session& session) : session_(session) {
  setWindowTitle("Vorun - Quarvel");
  // The design places assume a small dialog font; every control inherits it.
  QFont small = font();
  small.setFamilies({"Tahoma", "MS Sans Serif", "DejaVu Sans Condensed", small.family()});
  small.setPixelSize(11);
  setFont(small);
  CreateControls();
  CreateActions();

  setCentralWidget(Desktop);
  resize(DesignWidth, DesignSceneHeight + PanHeight + menuBar()->sizeHint().height());
  // The strip takes its rows from the design's scene, so the window keeps its size.
  SceneView->resize(DesignWidth, DesignSceneHeight - TopStrip->height() + PanHeight);
  Pan->setGeometry(0, SceneView->height() - PanHeight, DesignWidth, PanHeight);
  // Smaller, the panel would slide under the menu bar and take Go and the
  // fields out of reach; larger, the scene grows.
  setMinimumSize(size());
  ApplyLayoutRule();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect available = screen->availableGeometry();
    move(available.center() - QPoint(width() / 2, height() / 2));
  }
  RestoreWindowPlace(session_.WindowPlacesPath, this, "MainWindow");

  Timer = new QTimer(this);
  Timer->setObjectName("Timer");
  Timer->setInterval(TimerPeriodMs);
  connect(Timer, &QTimer::timeout, this, &TMainForm::TimerTimer);

  // Enter and Escape reach the window from whichever control has the focus.
  qApp->installEventFilter(this);

  FormCreate();
  Timer->start();
}

TMainForm::~TMainForm() = default;

void TMainForm::AttachDialogs(TEditDlg* editor, TAboutBox* aboutBox) {
  editor_ = editor;
  aboutBox_ = aboutBox;
}

GoKind TMainForm::GoButtonKind() const { return Panel1->GoButtonKind(); }

// --- layout --------------------------------------------------------------------

// The left column of the panel follows the left edge of Panel1, which keeps its
// place; so the widths do not follow the window.
void TMainForm::ApplyLayoutRule() {
  // Panel1 keeps its room at the right edge, so a wider window gives the
  // listing the width instead of leaving a grey area beside Panel1.
  Panel1->move(std::max(DesignWidth, Pan->width()) - Panel1Room, Panel1->y());
  const int L = Panel1->x();
  FName->resize(L - 2, FName->height());
  Comment->resize(Comment->width(), PageControl->height() - 29);
  Comment->resize(L - 2, Comment->height());
  PageControl->resize(L - 5, PageControl->height());
  TabSheet1->FollowPanelEdge(L);
  PlaceScopeButtons();
  FitIntoPages();
}

// The rule's widths come from a frame thinner than this style's: what would
// run past the page's edge is cut back to it.
void TMainForm::FitIntoPages() {
  const int L = Panel1->x();
  TabSheet1->FitIntoPage(L);
  const QSize commentary = TabSheet2->size();
  if (commentary.width() > 1)
    Comment->resize(std::min(L - 2, commentary.width()),
                    std::min(PageControl->height() - 29, commentary.height()));
}

void TMainForm::PlaceScopeButtons() {
  const int left = PageControl->x() + PageControl->tabBar()->sizeHint().width() + 6;
  const int right = Panel1->x() - 2;
  QFont f = Taoscope->font();
  for (int pixels = 19; pixels > 8; --pixels) {
    f.setPixelSize(pixels);
    Taoscope->setFont(f);
    Gravoscope->setFont(f);
    if (Taoscope->sizeHint().width() + Gravoscope->sizeHint().width() + 4 <= right - left) break;
  }
  const int height = std::max(Taoscope->sizeHint().height(), 17);
  Taoscope->setGeometry(left, 0, Taoscope->sizeHint().width(), height);
  // Gravoscope lies over the whole place, its circle at the right end; the
  // mask gives it only its own circle and caption, so Taoscope stays clickable.
  Gravoscope->setGeometry(left, 0, right - left, std::max(Gravoscope->sizeHint().height(), 25));
  const int own = Gravoscope->sizeHint().width();
  Gravoscope->setMask(QRegion(Gravoscope->width() - own, 0, own, Gravoscope->height()));
  RadioGroup2->setGeometry(left, 0, right - left, height);
}

void TMainForm::UpdateSceneCentre() { UpdateCenter(session_.View, width(), Pan->y()); }

void TMainForm::FormResize() {
  Pan->setGeometry(0, SceneView->height() - PanHeight, SceneView->width(), PanHeight);
  UpdateSceneCentre();
  ApplyLayoutRule();
  PaintCurrentMode();
}

// --- drawing -------------------------------------------------------------------

vorun::Scene TMainForm::MakeScene() {
  const auto scope = CheckedChoice<Scope>(ScopeGroup);
  const ColourSplit split = TabSheet1->Split();
  return vorun::Scene{SceneView->Canvas(),
                      width(),
                      Pan->y(),
                      scope,
                      split,
                      session_.Ensemble,
                      session_.View,
                      session_.Run.SpiralMode != 0,
                      session_.Display.ShowNumbers != 0};
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
  if (session_.Run.SpiralMode != 0) {
    DrawSpiral(MakeScene());
  } else {
    session_.FileName = session_.LastFileName;
    DrawTaons(MakeScene());
    FillListing();
  }
}

void TMainForm::TimerTimer() {
  // A run, the editor or a field may have changed the ensemble since.
  UpdateTitle();
  if (session_.Display.SpinOn == 0) return;
  SpinTimerTick(MakeScene(), true);
  SceneView->ImageChanged();
}

void TMainForm::ShowSpinClick() { session_.Display.SpinOn = ShowSpin->isChecked() ? 1 : 0; }

void TMainForm::ShowNumbersOfPointsClick() {
  session_.Display.ShowNumbers = ShowNumbersOfPoints->isChecked() ? 1 : 0;
  PaintCurrentMode();
}

// --- settings read from the controls ----------------------------------------------

StepSettings TMainForm::CurrentStepSettings() const {
  return Panel1->Settings(*TopStrip, TabSheet1->Split(), CheckedChoice<Scope>(ScopeGroup));
}

// --- parameter fields ----------------------------------------------------------------

void TMainForm::RefreshParameterFields() { Panel1->ShowParameters(session_.Ensemble); }

// Every parameter field commits as EditDT does: a user who edits a shown
// value expects it to take effect.
bool TMainForm::ParameterFieldExit(std::size_t index) {
  const bool taken = Guarded(this, [&] { Panel1->TakeParameter(index, session_.Ensemble); });
  UpdateTitle();
  return taken;
}

// --- keys and events -------------------------------------------------------------------

bool TMainForm::TakeFocusedField() {
  const std::optional<std::size_t> index = Panel1->ParameterIndex(focusWidget());
  return !index || ParameterFieldExit(*index);
}

bool TMainForm::HandleDialogKey(QWidget* target, int key) {
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (enter && (target == Comment || Comment->isAncestorOf(target))) return false;
  return Panel1->PressGoFor(key);
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
      if (watched == Comment && IsLeave(focus)) CommentExit();
      break;
    }
    case QEvent::Resize:
      if (watched == TabSheet1 || watched == TabSheet2) FitIntoPages();
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace vorun
