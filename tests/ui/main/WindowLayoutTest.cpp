// Every control of the main window shows whole, at the smallest size and when
// the window grows; the windows come back where they were left; the smaller
// conveniences (Go's tooltip, Escape in the help window).
#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>

#include "ui/dialogs/Help.h"
#include "ui/main/Main.h"
#include "ui/main/MainFormFixture.h"
#include "ui/widgets/StringGrid.h"
#include "ui/widgets/WindowPlaces.h"

namespace vorun {
namespace {

using test::MainFormTest;

// The named controls of the window, each with the rectangle it shows in
// the window's coordinates.
std::vector<QWidget*> NamedControls(QWidget* window) {
  std::vector<QWidget*> controls;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->objectName().isEmpty() || w->objectName().startsWith("qt_") || !w->isVisibleTo(window)) continue;
    if (w->window() != window) continue;
    controls.push_back(w);
  }
  return controls;
}

void ExpectEveryControlWhole(QWidget* window, const char* when) {
  int checked = 0;
  for (QWidget* w : NamedControls(window)) {
    // Two radio buttons of the colour choice lie left of their page by design,
    // one pixel column of each in view.
    if (w->objectName() == "Bk" || w->objectName() == "Ck") continue;
    ++checked;
    const QRect inWindow(w->mapTo(window, QPoint(0, 0)), w->size());
    EXPECT_TRUE(window->rect().contains(inWindow)) << when << ": " << w->objectName().toStdString();
    if (QWidget* parent = w->parentWidget(); parent != window) {
      EXPECT_TRUE(parent->rect().contains(w->geometry())) << when << ": " << w->objectName().toStdString()
                                                          << " cut by " << parent->objectName().toStdString();
    }
  }
  EXPECT_GT(checked, 50);
}

// No control lies over the scene: the scene is the scene widget above the panel.
void ExpectNothingOverTheScene(TMainForm* form, const char* when) {
  const auto* view = FindControl<TSceneView>(form, "SceneView");
  const QRect scene(view->mapTo(form, QPoint(0, 0)),
                    QSize(view->width(), FindControl<QFrame>(form, "Pan")->y()));
  ASSERT_GT(scene.height(), 100) << when;
  for (QWidget* w : NamedControls(form)) {
    if (w == view || w->isAncestorOf(view)) continue;
    const QRect inWindow(w->mapTo(form, QPoint(0, 0)), w->size());
    EXPECT_FALSE(inWindow.intersects(scene)) << when << ": " << w->objectName().toStdString();
  }
}

TEST_F(MainFormTest, EveryControlShowsWholeAtTheSmallestSizeAndWhenWidened) {
  form->resize(form->minimumSize());
  QApplication::processEvents();
  ExpectEveryControlWhole(form.get(), "smallest");
  ExpectNothingOverTheScene(form.get(), "smallest");

  // The scope buttons stand clear of the tab bar, whose tabs stay clickable.
  auto* pages = FindControl<QTabWidget>(form, "PageControl");
  const QRect tabs(pages->tabBar()->mapTo(form.get(), QPoint(0, 0)), pages->tabBar()->size());
  for (const char* name : {"Taoscope", "Gravoscope"}) {
    QWidget* b = FindControl<QRadioButton>(form, name);
    const QRegion shown = b->mask().isEmpty() ? QRegion(b->rect()) : b->mask();
    EXPECT_FALSE(shown.translated(b->mapTo(form.get(), QPoint(0, 0))).intersects(tabs)) << name;
  }

  form->resize(900, form->height());
  QApplication::processEvents();
  ExpectEveryControlWhole(form.get(), "widened");
  ExpectNothingOverTheScene(form.get(), "widened");
  // The listing takes the new width, and its columns fill the grid.
  StringGrid* grid = Grid();
  EXPECT_EQ(FindControl<QFrame>(form, "Panel1")->geometry().right(), 900 - 242 + 230);
  int columns = 0;
  for (int c = 0; c < grid->columnCount(); ++c) columns += grid->columnWidth(c);
  EXPECT_GE(columns, grid->viewport()->width() - 3);
  EXPECT_LE(columns, grid->viewport()->width());
}

// With a font too wide for one row, the wall choices take a second row of the
// strip, and the scene above the panel gives up the room.
TEST_F(MainFormTest, AWideFontPutsTheWallChoicesOnASecondRowAboveTheScene) {
  QWidget* strip = FindControl<QWidget>(form, "TopStrip");
  const int oneRow = strip->height();
  const int windowHeight = form->height();
  QFont wide = strip->font();
  wide.setPixelSize(16);
  strip->setFont(wide);
  QApplication::processEvents();
  EXPECT_GE(strip->height(), 2 * oneRow);
  EXPECT_EQ(form->height(), windowHeight);
  ExpectEveryControlWhole(form.get(), "wide font");
  ExpectNothingOverTheScene(form.get(), "wide font");
  // No two of them lie over each other.
  const QList<QWidget*> choices = strip->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  ASSERT_EQ(choices.size(), 5);
  for (int i = 0; i < choices.size(); ++i)
    for (int j = i + 1; j < choices.size(); ++j)
      EXPECT_FALSE(choices[i]->geometry().intersects(choices[j]->geometry()))
          << choices[i]->objectName().toStdString() << " " << choices[j]->objectName().toStdString();
}

TEST_F(MainFormTest, GoNamesItsKeys) {
  EXPECT_TRUE(Push("Go")->toolTip().contains("Enter"));
  EXPECT_TRUE(Push("Go")->toolTip().contains("Escape"));
}

TEST_F(MainFormTest, HelpWindowClosesWithEscape) {
  Action("Help1")->trigger();
  THelpWindow* help = FindControl<THelpWindow>(form, "HelpWindow");
  ASSERT_TRUE(help->isVisible());
  QApplication::setActiveWindow(help);
  QApplication::processEvents();
  QTest::keyClick(help->Browser, Qt::Key_Escape);
  EXPECT_FALSE(help->isVisible());
}

// The main window comes back where and as large as it was left.
TEST_F(MainFormTest, MainWindowReopensWhereItWasLeft) {
  WindowPlacesPath = QString::fromStdString(Path("Windows.ini"));
  form->setGeometry(QRect(QPoint(40, 30), QSize(700, 520)));
  QApplication::processEvents();
  const QRect left = form->geometry();
  form->close();
  form.reset();
  ResetSession();
  form = std::make_unique<TMainForm>(session);
  form->show();
  QApplication::processEvents();
  EXPECT_EQ(form->geometry(), left);
  WindowPlacesPath.clear();
}

}  // namespace
}  // namespace vorun
