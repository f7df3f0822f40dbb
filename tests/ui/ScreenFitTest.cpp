// The windows fit the screen: the main window, the editor and the readouts lie
// inside the screen's free area, and each of their controls can be seen whole
// (in the editor and the readouts, once their page is scrolled to it), at the
// size they open with and at their smallest. Run once as the tests run, and
// once more at QT_SCALE_FACTOR=2 on a 1400x900 screen (ctest entry
// ui_tests_at_scale_2).
#include <QAction>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <cstdlib>

#include "ui/editor/Edit.h"
#include "ui/main/MainFormFixture.h"
#include "ui/readouts/Readouts.h"

namespace vorun {
namespace {

class WindowsFitTheScreen : public test::MainFormTest {
 protected:
  void SetUp() override {
    test::MainFormTest::SetUp();
    // The scale-2 entry names the screen it asked for: the test is void if the
    // platform did not give it.
    if (const char* expected = std::getenv("VORUN_TEST_SCREEN")) {
      const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
      ASSERT_EQ(QString("%1x%2").arg(screen.width()).arg(screen.height()), QString(expected));
    }
  }

  static void ExpectOnTheScreen(const QWidget* window, const char* when) {
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(room.contains(window->frameGeometry()))
        << when << ": " << window->objectName().toStdString() << " at " << window->frameGeometry().x() << ","
        << window->frameGeometry().y() << " " << window->frameGeometry().width() << "x"
        << window->frameGeometry().height() << " on " << room.width() << "x" << room.height();
  }

  // Each control on the scrolled page shows whole in the view once scrolled to.
  static void ExpectEveryControlReachable(QScrollArea* area, const char* when) {
    QWidget* window = area->window();
    EXPECT_TRUE(window->rect().contains(QRect(area->mapTo(window, QPoint(0, 0)), area->size()))) << when;
    int checked = 0;
    for (QWidget* w : area->widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (!w->isVisibleTo(window)) continue;
      ++checked;
      // Scrolled so that its top left corner is the view's, or as far as the page goes.
      area->horizontalScrollBar()->setValue(w->x());
      area->verticalScrollBar()->setValue(w->y());
      QApplication::processEvents();
      const QRect shown(w->mapTo(area->viewport(), QPoint(0, 0)), w->size());
      EXPECT_TRUE(area->viewport()->rect().contains(shown))
          << when << ": " << window->objectName().toStdString() << " " << w->metaObject()->className() << " "
          << w->objectName().toStdString() << " at " << shown.x() << "," << shown.y() << " " << shown.width()
          << "x" << shown.height() << " in " << area->viewport()->width() << "x"
          << area->viewport()->height();
    }
    EXPECT_GT(checked, 5) << when;
  }

  static void AtOpeningAndSmallest(QWidget* window, QScrollArea* area) {
    ExpectOnTheScreen(window, "opened");
    ExpectEveryControlReachable(area, "opened");
    window->resize(window->minimumSize());
    QApplication::processEvents();
    ExpectOnTheScreen(window, "smallest");
    ExpectEveryControlReachable(area, "smallest");
  }
};

TEST_F(WindowsFitTheScreen, MainWindow) {
  ExpectOnTheScreen(form.get(), "opened");
  form->resize(form->minimumSize());
  QApplication::processEvents();
  ExpectOnTheScreen(form.get(), "smallest");
}

TEST_F(WindowsFitTheScreen, Editor) {
  TEditDlg editor(session, form.get());
  editor.setObjectName("Editor");
  editor.open();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
  AtOpeningAndSmallest(&editor, FindControl<QScrollArea>(&editor, "EditorScroller"));
  // Where the screen has room for the whole page, nothing scrolls.
  const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
  if (room.width() >= 800 && room.height() >= 500) {
    editor.resize(editor.maximumSize());
    QApplication::processEvents();
    EXPECT_FALSE(FindControl<QScrollArea>(&editor, "EditorScroller")->verticalScrollBar()->isVisible());
    EXPECT_FALSE(FindControl<QScrollArea>(&editor, "EditorScroller")->horizontalScrollBar()->isVisible());
  }
}

TEST_F(WindowsFitTheScreen, Readouts) {
  Action("ShowReadouts")->trigger();
  auto* readouts = FindControl<TReadoutsWindow>(form, "Readouts");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(readouts));
  AtOpeningAndSmallest(readouts, FindControl<QScrollArea>(readouts, "ReadoutsScroller"));
}

}  // namespace
}  // namespace vorun
