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

#include "ui/Help.h"
#include "ui/MainFormFixture.h"
#include "ui/StringGrid.h"
#include "ui/WindowPlaces.h"

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
    if (QWidget* parent = w->parentWidget(); parent != window)
      EXPECT_TRUE(parent->rect().contains(w->geometry())) << when << ": " << w->objectName().toStdString()
                                                          << " cut by " << parent->objectName().toStdString();
  }
  EXPECT_GT(checked, 50);
}

TEST_F(MainFormTest, EveryControlShowsWholeAtTheSmallestSizeAndWhenWidened) {
  form->resize(form->minimumSize());
  QApplication::processEvents();
  ExpectEveryControlWhole(form.get(), "smallest");

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
  // The listing takes the new width, and its columns fill the grid.
  StringGrid* grid = Grid();
  EXPECT_EQ(FindControl<QFrame>(form, "Panel1")->geometry().right(), 900 - 242 + 230);
  int columns = 0;
  for (int c = 0; c < grid->columnCount(); ++c) columns += grid->columnWidth(c);
  EXPECT_GE(columns, grid->viewport()->width() - 3);
  EXPECT_LE(columns, grid->viewport()->width());
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
  test::ResetProgramState();
  form = std::make_unique<TMainForm>();
  form->show();
  QApplication::processEvents();
  EXPECT_EQ(form->geometry(), left);
  WindowPlacesPath.clear();
}

}  // namespace
}  // namespace vorun
