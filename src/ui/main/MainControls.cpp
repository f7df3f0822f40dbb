// The main window's controls at their design places: the strip above the
// scene, the bottom panel with its pages, and the run and parameter controls.
#include <QButtonGroup>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>
#include <utility>

#include "ui/Session.h"
#include "ui/main/ListingPage.h"
#include "ui/main/Main.h"
#include "ui/main/NavigationPad.h"
#include "ui/main/SceneView.h"
#include "ui/main/WallBar.h"
#include "ui/widgets/ChoiceButtons.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/StringGrid.h"
#include "ui/widgets/Widgets.h"

namespace vorun {

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
      {ScopeGroup, "ScopeGroup"},
  };
  // The run panel names its own controls.
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
  Taoscope = ChoiceButton(ScopeGroup, Pan, ScopeChoices, Scope::Taoscope, 120, 0, 105, 17);
  Gravoscope = ChoiceButton(ScopeGroup, Pan, ScopeChoices, Scope::Gravoscope, 120, 0, 225, 25);
  for (QRadioButton* b : {Taoscope, Gravoscope}) {
    b->setFont(scopeFont);
    SetTextColour(b, ColourBlue);
  }
  // Gravoscope lies over Taoscope. Its circle sits at its right end and it
  // takes only the clicks on its own circle and caption, so Taoscope beneath
  // stays visible and can be chosen.
  Gravoscope->setLayoutDirection(Qt::RightToLeft);
  Gravoscope->setChecked(true);

  Panel1 = new TRunPanel(Pan);
  CreateRunPanel();
}

void TMainForm::CreateRunPanel() {
  connect(Panel1, &TRunPanel::GoClicked, this, &TMainForm::GoClick);
  connect(Panel1, &TRunPanel::NullClicked, this, &TMainForm::Null00Click);
  connect(Panel1, &TRunPanel::AmplitudeChanged, this, &TMainForm::TrackBarChange);
  connect(Panel1, &TRunPanel::ListingWanted, this, &TMainForm::FillListing);
  connect(Panel1, &TRunPanel::ParameterFieldLeft, this, &TMainForm::ParameterFieldExit);
  connect(Panel1, &TRunPanel::TimeDoubleClicked, this, &TMainForm::LTimeDblClick);
  // The window only listens to the pad; the run panel owns it.
  const TNavigationPad* pad = &Panel1->Pad();
  connect(pad, &TNavigationPad::BackClicked, this, &TMainForm::DaoBackClick);
  connect(pad, &TNavigationPad::TetaClicked, this, &TMainForm::DaoTetaClick);
  connect(pad, &TNavigationPad::PsiClicked, this, &TMainForm::DaoPsiClick);
  connect(pad, &TNavigationPad::PhiClicked, this, &TMainForm::DaoPhiClick);
  connect(pad, &TNavigationPad::StopClicked, this, &TMainForm::DaoStopClick);
  connect(pad, &TNavigationPad::Phi1Clicked, this, &TMainForm::DaoPhi1Click);
  connect(pad, &TNavigationPad::ForvardClicked, this, &TMainForm::DaoForvardClick);
  connect(pad, &TNavigationPad::Teta1Clicked, this, &TMainForm::DaoTeta1Click);
  connect(pad, &TNavigationPad::Psi1Clicked, this, &TMainForm::DaoPsi1Click);
}

}  // namespace vorun
