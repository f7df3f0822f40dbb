#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <cmath>
#include <functional>

#include "ui/Controls.h"
#include "ui/ToolTipProbe.h"
#include "ui/editor/Edit.h"
#include "ui/main/MainFormFixture.h"
#include "ui/main/MainFormProbe.h"
#include "ui/widgets/ParameterFields.h"
#include "ui/widgets/StringGrid.h"

namespace vorun {
namespace {

using test::MainFormTest;

TEST(LocaleSeparator, TakenFromTheLocaleWhenItIsOneAsciiCharacter) {
  EXPECT_EQ(LocaleDecimalSeparator(QLocale(QLocale::German, QLocale::Germany)), ',');
  EXPECT_EQ(LocaleDecimalSeparator(QLocale(QLocale::English, QLocale::UnitedStates)), '.');
  EXPECT_EQ(LocaleDecimalSeparator(QLocale(QLocale::French, QLocale::France)), ',');
  // Arabic digits come with the Arabic decimal separator, which no field can type.
  EXPECT_EQ(LocaleDecimalSeparator(QLocale(QLocale::Arabic, QLocale::Egypt)), '.');
}

TEST_F(MainFormTest, WindowHasItsTitleAndDesignSize) {
  EXPECT_EQ(form->windowTitle(), "Vorun - Quarvel");
  EXPECT_EQ(form->width(), 604);
  // Three pixels over the design, so that Go and the lower arrows show whole.
  EXPECT_EQ(FindControl<QFrame>(form, "Pan")->height(), 204);
  // The strip of the wall choices and the scene share the design's 176 pixels above the panel.
  EXPECT_EQ(FindControl<QFrame>(form, "Pan")->mapTo(form.get(), QPoint(0, 0)).y(),
            FindControl<QWidget>(form, "Desktop")->y() + 176);
  EXPECT_EQ(FindControl<QFrame>(form, "Pan")->y() + FindControl<QFrame>(form, "Pan")->height(),
            FindControl<TSceneView>(form, "SceneView")->height());
}

struct ButtonCase {
  const char* name;
  std::function<QAbstractButton*(TMainForm&)> button;
  const char* caption;
  bool checked;
};

class ButtonDefaults : public MainFormTest, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(ButtonDefaults, CaptionAndCheckedState) {
  const ButtonCase& c = GetParam();
  QAbstractButton* b = c.button(*form);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->text(), QString(c.caption));
  EXPECT_EQ(b->isChecked(), c.checked);
}

#define BUTTON(member, caption, checked)                                                              \
  ButtonCase {                                                                                        \
#member, [](TMainForm & f) { return FindControl<QAbstractButton>(f, #member); }, caption, checked \
  }

INSTANTIATE_TEST_SUITE_P(
    Controls, ButtonDefaults,
    ::testing::Values(BUTTON(Blockade, "* Blockade  X, Y, Z in positions - 1 -:- 4 *", false),
                      BUTTON(Thermosout, "ThermosOUT", true), BUTTON(Thermos3X3, "Thermos3X3", false),
                      BUTTON(Thermos20X20, "Thermos20X20", false), BUTTON(ThermosNXN, "ThermosNXN", false),
                      BUTTON(Taoscope, "Taoscope", false), BUTTON(Gravoscope, "Gravoscope", true),
                      BUTTON(Ak, "", true), BUTTON(Bk, "Bk", false), BUTTON(Ck, "Ck", false),
                      BUTTON(ExpoPolyExpSum, "EPES", false), BUTTON(EPESminus, "EPES-", false),
                      BUTTON(Exponential, "E", true), BUTTON(PolyExpon, "PE", false),
                      BUTTON(PolyExpSum, "PES", false), BUTTON(CheckBox1, "(1+6)'", false),
                      BUTTON(CheckBox2, "(2)'", false), BUTTON(CheckBox3, "(3-:-5)'", false),
                      BUTTON(ShowList, "Show Listing", false), BUTTON(Warm, "Heater", false),
                      BUTTON(Cool, "Cooler", false), BUTTON(Null00, "0", false), BUTTON(Go, "Go", false)),
    [](const auto& info) { return std::string(info.param.name); });

// Tests and scripts find a control by its name within its window: a name
// must belong to one control there, and the controls a script needs must
// carry one. The editor, a child of the main window as in the program, uses
// the same names for its own fields.
TEST_F(MainFormTest, EachWindowNamesItsControlsOnce) {
  TEditDlg editor(session, form.get());
  for (const QObject* window :
       {static_cast<const QObject*>(form.get()), static_cast<const QObject*>(&editor)}) {
    QMap<QString, int> uses;
    for (const QObject* o : window->findChildren<QObject*>())
      if (!o->objectName().isEmpty() && !o->objectName().startsWith("qt_") && test::OwningWindow(o) == window)
        ++uses[o->objectName()];
    for (auto it = uses.cbegin(); it != uses.cend(); ++it) EXPECT_EQ(it.value(), 1) << it.key().toStdString();
    EXPECT_GT(uses.size(), window == &editor ? 30 : 80);
  }
  EXPECT_EQ(FindControl<QLineEdit>(form, "EditA1")->parentWidget()->objectName(), "Panel1");
  EXPECT_EQ(FindControl<QLineEdit>(editor, "EditA1")->window(), &editor);
}

TEST_F(MainFormTest, OtherControlsHoldTheirDesignState) {
  EXPECT_FALSE(Push("Go")->isEnabled());
  EXPECT_EQ(form->GoButtonKind(), GoKind::OK);
  EXPECT_FALSE(Push("Go")->icon().isNull());
  EXPECT_TRUE(FindControl<QToolButton>(form, "Null00")->isEnabled());
  EXPECT_EQ(FindControl<QToolButton>(form, "Null00")->toolTip(), "Make null of velocity");
  EXPECT_EQ(FindControl<QSlider>(form, "TrackBar")->minimum(), 0);
  EXPECT_EQ(FindControl<QSlider>(form, "TrackBar")->maximum(), 10);
  EXPECT_EQ(FindControl<QSlider>(form, "TrackBar")->value(), 5);
  EXPECT_EQ(FindControl<QSlider>(form, "TrackBar")->toolTip(), "Amplitude");
  EXPECT_EQ(Line("FName")->text(), "File Name");
  EXPECT_TRUE(Line("FName")->font().bold());
  EXPECT_EQ(FindControl<QTabWidget>(form, "PageControl")->count(), 2);
  EXPECT_EQ(FindControl<QTabWidget>(form, "PageControl")->tabText(0), "Listing");
  EXPECT_EQ(FindControl<QTabWidget>(form, "PageControl")->tabText(1), "Commentary");
  EXPECT_EQ(FindControl<QTabWidget>(form, "PageControl")->currentWidget(),
            FindControl<QWidget>(form, "TabSheet1"));
  EXPECT_EQ(FindControl<QPlainTextEdit>(form, "Comment")->toPlainText(), "No Comment");
  EXPECT_EQ(Line("Edit7")->text(), "1  -:- 30");
  EXPECT_EQ(Line("Edit8")->text(), "31 -:- 60");
  EXPECT_EQ(FindControl<QLabel>(form, "Label1")->text(), "Time:");
  EXPECT_EQ(FindControl<QLabel>(form, "LTime")->text(), "0");
  EXPECT_EQ(FindControl<QLabel>(form, "DtLabel")->text(), "dt=");
  EXPECT_EQ(FindControl<TShape>(form, "ShapeLime")->BrushColour(), QColor(0, 255, 0));
  EXPECT_EQ(FindControl<TShape>(form, "ShapeRed")->BrushColour(), QColor(128, 0, 0));
  EXPECT_FALSE(FindControl<QFrame>(form, "Bevel")->isVisible());
  EXPECT_EQ(Push("Go")->geometry(), QRect(91, 176, 54, 25));
  EXPECT_EQ(FindControl<QFrame>(form, "Panel1")->geometry(), QRect(362, 1, 231, 203));
  EXPECT_EQ(Line("EditA1")->geometry(), QRect(136, 0, 33, 21));
  EXPECT_EQ(Line("EditF2")->geometry(), QRect(192, 96, 33, 21));
  EXPECT_EQ(Line("EditDT")->geometry(), QRect(16, 112, 49, 21));
  // The scope buttons share one place right of the tabs; Gravoscope ends at Panel1.
  EXPECT_EQ(FindControl<QRadioButton>(form, "Gravoscope")->x(),
            FindControl<QRadioButton>(form, "Taoscope")->x());
  EXPECT_EQ(FindControl<QRadioButton>(form, "Gravoscope")->geometry().right(), 362 - 3);
}

// The arrows stand for the symbol-font codes of the design: 0xEC and 0xED zoom,
// the white arrows 0xEF-0xF2 and 0xF6, 0xF7 rotate.
TEST_F(MainFormTest, NineFlatButtonsShowArrows) {
  const std::pair<QToolButton*, char16_t> arrows[] = {{FindControl<QToolButton>(form, "DaoBack"), 0x2B08},
                                                      {FindControl<QToolButton>(form, "DaoForvard"), 0x2B0B},
                                                      {FindControl<QToolButton>(form, "DaoPhi"), 0x21E6},
                                                      {FindControl<QToolButton>(form, "DaoTeta"), 0x21E7},
                                                      {FindControl<QToolButton>(form, "DaoPhi1"), 0x21E8},
                                                      {FindControl<QToolButton>(form, "DaoTeta1"), 0x21E9},
                                                      {FindControl<QToolButton>(form, "DaoPsi"), 0x2B01},
                                                      {FindControl<QToolButton>(form, "DaoPsi1"), 0x2B03}};
  for (const auto& [button, arrow] : arrows) {
    EXPECT_EQ(button->text(), QString(QChar(arrow)));
    EXPECT_TRUE(button->autoRaise());
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
  }
  EXPECT_EQ(FindControl<QToolButton>(form, "DaoStop")->text(), "");
}

// Gravoscope lies over Taoscope; each must still be reachable where it shows.
TEST_F(MainFormTest, BothScopeButtonsCanBeClickedWhereTheyShow) {
  const QPoint taoscopeCircle =
      FindControl<QRadioButton>(form, "Taoscope")->geometry().topLeft() + QPoint(6, 8);
  EXPECT_EQ(FindControl<QFrame>(form, "Pan")->childAt(taoscopeCircle),
            FindControl<QRadioButton>(form, "Taoscope"));
  const QPoint gravoscopeCircle =
      FindControl<QRadioButton>(form, "Gravoscope")->geometry().topRight() + QPoint(-8, 12);
  EXPECT_EQ(FindControl<QFrame>(form, "Pan")->childAt(gravoscopeCircle),
            FindControl<QRadioButton>(form, "Gravoscope"));
  QTest::mouseClick(
      FindControl<QFrame>(form, "Pan")->childAt(taoscopeCircle), Qt::LeftButton, {},
      FindControl<QRadioButton>(form, "Taoscope")->mapFrom(FindControl<QFrame>(form, "Pan"), taoscopeCircle));
  EXPECT_TRUE(FindControl<QRadioButton>(form, "Taoscope")->isChecked());
  EXPECT_FALSE(FindControl<QRadioButton>(form, "Gravoscope")->isChecked());
}

TEST_F(MainFormTest, RadioGroupsAreExclusive) {
  FindControl<QRadioButton>(form, "Taoscope")->click();
  EXPECT_TRUE(FindControl<QRadioButton>(form, "Taoscope")->isChecked());
  EXPECT_FALSE(FindControl<QRadioButton>(form, "Gravoscope")->isChecked());
  FindControl<QRadioButton>(form, "Gravoscope")->click();
  EXPECT_FALSE(FindControl<QRadioButton>(form, "Taoscope")->isChecked());
  FindControl<QRadioButton>(form, "Ck")->click();
  EXPECT_FALSE(FindControl<QRadioButton>(form, "Ak")->isChecked());
  FindControl<QRadioButton>(form, "ThermosNXN")->click();
  EXPECT_FALSE(FindControl<QRadioButton>(form, "Thermosout")->isChecked());
  FindControl<QRadioButton>(form, "PolyExpSum")->click();
  EXPECT_FALSE(FindControl<QRadioButton>(form, "Exponential")->isChecked());
  EXPECT_TRUE(FindControl<QRadioButton>(form, "ThermosNXN")->isChecked());
  EXPECT_TRUE(FindControl<QRadioButton>(form, "Ck")->isChecked());
}

TEST_F(MainFormTest, StepSettingsFollowTheControls) {
  StepSettings s = form->CurrentStepSettings();
  EXPECT_EQ(s.law.formula, Formula::Exponential);
  EXPECT_EQ(s.law.scope, Scope::Gravoscope);
  EXPECT_EQ(s.law.colourSplit, ColourSplit::Ak);
  EXPECT_EQ(s.wall, WallMode::Thermosout);
  EXPECT_FALSE(s.blockade || s.heater || s.cooler || s.law.noShellB || s.law.noShellsCDF);

  FindControl<QRadioButton>(form, "EPESminus")->click();
  FindControl<QRadioButton>(form, "Taoscope")->click();
  FindControl<QRadioButton>(form, "Bk")->click();
  FindControl<QRadioButton>(form, "Thermos20X20")->click();
  FindControl<QCheckBox>(form, "CheckBox3")->click();
  FindControl<QCheckBox>(form, "Blockade")->click();
  FindControl<QCheckBox>(form, "Cool")->click();
  s = form->CurrentStepSettings();
  EXPECT_EQ(s.law.formula, Formula::EPESminus);
  EXPECT_EQ(s.law.scope, Scope::Taoscope);
  EXPECT_EQ(s.law.colourSplit, ColourSplit::Bk);
  EXPECT_EQ(s.wall, WallMode::Thermos20X20);
  EXPECT_TRUE(s.law.noShellsCDF);
  EXPECT_FALSE(s.law.noShellB);
  EXPECT_TRUE(s.blockade);
  EXPECT_TRUE(s.cooler);
  EXPECT_FALSE(s.heater);
}

// The layout follows the left edge of Panel1, which keeps its room at the
// right edge: the design widths at the design width, the listing wider with
// the window.
TEST_F(MainFormTest, LayoutRuleGivesTheDesignWidthsAndGrowsWithTheWindow) {
  for (int width : {604, 900, 750}) {
    form->resize(width, form->height() + 40);
    QApplication::processEvents();
    const int L = width - 242;
    EXPECT_EQ(FindControl<QFrame>(form, "Panel1")->x(), L) << width;
    EXPECT_EQ(Line("FName")->width(), L - 2) << width;
    EXPECT_EQ(FindControl<QPlainTextEdit>(form, "Comment")->height(), 140) << width;
    // The page cuts the rule's widths back to its own edge.
    const int page = FindControl<QTabWidget>(form, "PageControl")->currentWidget()->width();
    EXPECT_EQ(FindControl<QPlainTextEdit>(form, "Comment")->width(),
              std::min(L - 2, FindControl<QPlainTextEdit>(form, "Comment")->parentWidget()->width()))
        << width;
    EXPECT_EQ(FindControl<QTabWidget>(form, "PageControl")->width(), L - 5) << width;
    EXPECT_EQ(Grid()->width(), std::min(L - 7, page)) << width;
    EXPECT_EQ(Grid()->columnWidth(0), (L - 35) / 6) << width;
    EXPECT_EQ(FindControl<QFrame>(form, "Pan")->y() + FindControl<QFrame>(form, "Pan")->height(),
              FindControl<TSceneView>(form, "SceneView")->height());
    EXPECT_EQ(View.CenterX, width / 2) << width;
  }
}

// The window cannot be made smaller than designed, where the panel would slide
// under the menu bar; made larger, the scene grows.
TEST_F(MainFormTest, ShrinksNoFurtherThanTheDesignAndGrowsTheScene) {
  const QSize design = form->size();
  form->resize(400, 300);
  QApplication::processEvents();
  EXPECT_EQ(form->size(), design);
  for (QWidget* w :
       std::initializer_list<QWidget*>{Push("Go"), Line("EditDT"), Line("EditF2"), Line("FName")}) {
    EXPECT_TRUE(w->visibleRegion().contains(w->rect().center())) << w->metaObject()->className();
    EXPECT_GE(w->mapTo(form.get(), QPoint(0, 0)).y(), FindControl<TSceneView>(form, "SceneView")->y());
  }
  form->resize(800, 600);
  QApplication::processEvents();
  const QWidget* desktop = FindControl<QWidget>(form, "Desktop");
  EXPECT_EQ(FindControl<TSceneView>(form, "SceneView")->size(),
            QSize(800, 600 - desktop->y() - FindControl<TSceneView>(form, "SceneView")->y()));
  EXPECT_EQ(FindControl<QFrame>(form, "Pan")->y(),
            FindControl<TSceneView>(form, "SceneView")->height() - 204);
}

// Numbers wider than their place keep their first digits in view and show
// whole in a tooltip; those that fit raise none.
TEST_F(MainFormTest, CutNumbersShowWholeInATooltip) {
  Ensemble.A1 = 1.0L / 3;
  Ensemble.A2 = 2;
  form->RefreshParameterFields();
  EXPECT_EQ(Line("EditA1")->cursorPosition(), 0);
  EXPECT_EQ(test::ToolTipOf(Line("EditA1")), "0.333333333333333");
  EXPECT_EQ(test::ToolTipOf(Line("EditA2")), "");

  Ensemble.Exists[1] = Ensemble.Exists[2] = 1;
  Ensemble.PosX[1] = -2.0L / 3;
  Ensemble.PosX[2] = 2;
  form->FillListing();
  StringGrid* grid = Grid();
  const QRect cut = grid->visualItemRect(grid->item(0, 1));
  EXPECT_EQ(test::ToolTipOf(grid->viewport(), cut.center()), "-0.666666666666667");
  const QRect fits = grid->visualItemRect(grid->item(1, 1));
  EXPECT_EQ(test::ToolTipOf(grid->viewport(), fits.center()), "");
}

TEST_F(MainFormTest, SceneCentreIsHalfTheWidthAndHalfThePanTop) {
  EXPECT_EQ(View.CenterX, 302);
  // Half the scene's height, a half to the even pixel.
  EXPECT_EQ(View.CenterY, std::nearbyint(FindControl<QFrame>(form, "Pan")->y() / 2.0));
  // 603 / 2 = 301.5 goes to the even 302; 605 / 2 = 302.5 to 302 as well.
  form->resize(603, form->height());
  QApplication::processEvents();
  EXPECT_EQ(View.CenterX, 302);
  form->resize(605, form->height());
  QApplication::processEvents();
  EXPECT_EQ(View.CenterX, 302);
}

}  // namespace
}  // namespace vorun
