// The menu tree as the user sees it: items, shortcuts and check marks before,
// during and after a run.
#include <QAction>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "engine/WorkerPool.h"
#include "ui/Controls.h"
#include "ui/SampleFiles.h"
#include "ui/dialogs/About.h"
#include "ui/dialogs/Help.h"
#include "ui/main/MainFormFixture.h"
#include "ui/main/MenusFixture.h"
#include "ui/main/ThreadMenu.h"
#include "ui/widgets/Icons.h"

namespace vorun {
namespace {

using test::Menus;

// The whole tree with an ensemble loaded, so that Go can start a run.
class MenuTree : public Menus {
 protected:
  void PrepareFiles() override {
    test::WriteSampleEnsemble(Path("ring.tvx"));
    test::WriteText(StartFilePath, Path("ring.tvx"));
  }

  static QStringList Expected(bool running) {
    QStringList threads = {"  Step Threads",
                           "    Automatic (" + QString::number(DefaultStepThreads()) + ") (checked)"};
    for (int count : ThreadMenuCounts()) threads << "    " + QString::number(count) + " (unchecked)";
    return QStringList{
               "&File",
               "  New [F2]",
               "  Open [F3]",
               "  Recent Files",
               "    (none) (disabled)",
               "  Save [Ctrl+S]",
               "  Save As ...",
               "  Export Picture ...",
               "  -",
               "  Exit [Alt+X]",
               "&View",
               running ? "  Show Images (disabled)" : "  Show Images",
               "    Taons [F5]",
               "    Spiral",
               "  ShowSpin [F6] (unchecked)",
               "  Show Numbers of Points [F7] (unchecked)",
               "  Move to center [F8]",
               "  Fit to View [F9]",
           } +
           threads +
           QStringList{
               "  -",
               "  Readouts",
               "&Help",
               "  English Help [F1]",
               "  Russian Help [Ctrl+F1]",
               "  Poland Help [Shift+F1]",
               "  About",
           };
  }

  QString Manager() const {
    QStringList items;
    Describe(FindControl<QMenu>(form, "Manager1"), "", items);
    return (FindControl<QMenu>(form, "Manager1")->menuAction()->isEnabled() ? "" : "(disabled) ") +
           items.join(", ");
  }

  static std::string Text(const QStringList& lines) { return lines.join('\n').toStdString(); }
};

TEST_F(MenuTree, EveryItemBeforeDuringAndAfterARun) {
  ASSERT_TRUE(Push("Go")->isEnabled());
  const QString manager = "Left [Ctrl+Left], Right [Ctrl+Right], Up [Ctrl+Up], Down [Ctrl+Down]";
  EXPECT_EQ(Text(Tree()), Text(Expected(false)));
  EXPECT_EQ(Manager(), manager);

  QStringList during;
  QString managerDuring;
  QTimer::singleShot(0, form.get(), [&] {
    during = Tree();
    managerDuring = Manager();
    Push("Go")->click();
  });
  Push("Go")->click();
  ASSERT_EQ(Run.StepCount, 1);
  EXPECT_EQ(Text(during), Text(Expected(true)));
  EXPECT_EQ(managerDuring, manager);

  EXPECT_EQ(Text(Tree()), Text(Expected(false)));
  EXPECT_EQ(Manager(), manager);
}

// Commands reach the window between two steps of a run.
TEST_F(MenuTree, ViewCommandsAndShortcutsWorkDuringARun) {
  Activate();
  QTimer::singleShot(0, form.get(), [&] {
    EXPECT_EQ(Run.Stopped, 0);
    QTest::keyClick(form.get(), Qt::Key_Right, Qt::ControlModifier);
    QTest::mouseClick(FindControl<QToolButton>(form, "DaoForvard"), Qt::LeftButton);
    QTest::mouseClick(FindControl<QToolButton>(form, "DaoTeta1"), Qt::LeftButton);
    QTest::keyClick(form.get(), Qt::Key_F1);
    Push("Go")->click();
  });
  Push("Go")->click();
  EXPECT_EQ(View.PanX, 5);
  EXPECT_EQ(View.Zoom, 129);
  EXPECT_EQ(View.SpinTeta, 0.01L);
  EXPECT_TRUE(FindControl<THelpWindow>(form, "HelpWindow")->isVisible());
}

// The modal about box holds the run until it is closed.
TEST_F(MenuTree, AboutDuringARunSuspendsItUntilOK) {
  std::int32_t stepsWhileOpen = -1;
  std::int32_t stepsLater = -2;
  QTimer::singleShot(0, form.get(), [&] {
    QTimer::singleShot(0, [&] {
      QWidget* box = QApplication::activeModalWidget();
      stepsWhileOpen = Run.StepCount;
      for (int i = 0; i < 20; ++i) QApplication::processEvents();
      stepsLater = Run.StepCount;
      if (box != nullptr) box->close();
    });
    Action("About1")->trigger();
    Push("Go")->click();
  });
  Push("Go")->click();
  EXPECT_GE(stepsWhileOpen, 1);
  EXPECT_EQ(stepsLater, stepsWhileOpen);
  EXPECT_EQ(Run.Stopped, 1);
}

TEST_F(MenuTree, AltXClosesTheWindowWhileStopped) {
  Activate();
  QTest::keyClick(form.get(), Qt::Key_X, Qt::AltModifier);
  EXPECT_FALSE(form->isVisible());
}

TEST_F(Menus, ViewManagerAndHelpMenusInDisplayOrder) {
  const QStringList tree = Tree();
  const QStringList expected = {
      "&View",
      "  ShowSpin [F6] (unchecked)",
      "  Show Numbers of Points [F7] (unchecked)",
      "  Move to center [F8]",
      "&Help",
      "  English Help [F1]",
      "  Russian Help [Ctrl+F1]",
      "  Poland Help [Shift+F1]",
      "  About",
  };
  // The order of those lines among all the others.
  QStringList ours;
  for (const QString& line : tree)
    if (expected.contains(line)) ours << line;
  EXPECT_EQ(ours.join('\n').toStdString(), expected.join('\n').toStdString())
      << tree.join('\n').toStdString();
}

// The menus are reached from the keyboard: Alt with a menu's letter, or F10.
TEST_F(Menus, AltLettersAndF10OpenTheMenus) {
  const std::pair<Qt::Key, QMenu*> letters[] = {{Qt::Key_F, FindControl<QMenu>(form, "File1")},
                                                {Qt::Key_V, FindControl<QMenu>(form, "View1")},
                                                {Qt::Key_H, FindControl<QMenu>(form, "Help0")}};
  for (const auto& [key, menu] : letters) {
    // A closed menu leaves no window active on this platform.
    Activate();
    QTest::keyClick(form.get(), key, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 1000)) << menu->title().toStdString();
    // Escape closes the menu, a second one leaves the menu bar.
    QTest::keyClick(menu, Qt::Key_Escape);
    if (form->menuBar()->activeAction() != nullptr) QTest::keyClick(form->menuBar(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::focusWidget() != nullptr; }, 1000));
  }
  Activate();
  QTest::keyClick(form.get(), Qt::Key_F10);
  EXPECT_EQ(form->menuBar()->activeAction(), FindControl<QMenu>(form, "File1")->menuAction());
  EXPECT_TRUE(QTest::qWaitFor([&] { return FindControl<QMenu>(form, "File1")->isVisible(); }, 1000));
  FindControl<QMenu>(form, "File1")->close();
}

// The arrow pad: each button says what it does and names its key, and the key
// does what the button does. No key is one the window already used.
TEST_F(MenuTree, ArrowZoomAndStopButtonsNameTheirKeysAndTheKeysWork) {
  Activate();
  const QToolButton* pad[] = {
      FindControl<QToolButton>(form, "DaoTeta"),    FindControl<QToolButton>(form, "DaoTeta1"),
      FindControl<QToolButton>(form, "DaoPsi"),     FindControl<QToolButton>(form, "DaoPsi1"),
      FindControl<QToolButton>(form, "DaoPhi"),     FindControl<QToolButton>(form, "DaoPhi1"),
      FindControl<QToolButton>(form, "DaoForvard"), FindControl<QToolButton>(form, "DaoBack"),
      FindControl<QToolButton>(form, "DaoStop")};
  QList<QKeySequence> keys;
  for (const QToolButton* b : pad) {
    const QString tip = b->toolTip();
    const int open = tip.lastIndexOf(" (");
    ASSERT_GT(open, 0) << tip.toStdString();
    keys << QKeySequence(tip.mid(open + 2, tip.size() - open - 3), QKeySequence::NativeText);
    EXPECT_FALSE(keys.last().isEmpty()) << tip.toStdString();
  }
  // All different, and none of them a key of another command.
  for (int i = 0; i < keys.size(); ++i)
    for (int j = i + 1; j < keys.size(); ++j) EXPECT_NE(keys[i], keys[j]);
  for (const QAction* a : form->findChildren<QAction*>()) {
    const int i = keys.indexOf(a->shortcut());
    if (!a->shortcut().isEmpty() && i >= 0) {
      EXPECT_TRUE(pad[i]->toolTip().startsWith(a->text() + " (")) << a->text().toStdString();
    }
  }
  // Zoom in by key as by button; then the spin the Teta key leaves is stopped by the stop key.
  const Extended80 zoom = View.Zoom;
  QTest::keySequence(form.get(), keys[6]);
  EXPECT_GT(View.Zoom, zoom);
  QTest::keySequence(form.get(), keys[7]);
  EXPECT_EQ(View.Zoom, zoom);
  const Extended80 spin = View.SpinTeta;
  QTest::keySequence(form.get(), keys[0]);
  EXPECT_EQ(View.SpinTeta, spin - View.AngleStep);
  // From a text field as well.
  QTest::keySequence(Line("EditA1"), keys[1]);
  EXPECT_EQ(View.SpinTeta, spin);
}

TEST_F(Menus, ManagerIsNotShownButItsItemsAreEnabled) {
  for (const QAction* a : form->menuBar()->actions())
    EXPECT_NE(a->menu(), FindControl<QMenu>(form, "Manager1"));
  EXPECT_FALSE(FindControl<QMenu>(form, "Manager1")->isVisible());
  EXPECT_TRUE(FindControl<QMenu>(form, "Manager1")->menuAction()->isEnabled());
  QStringList items;
  Describe(FindControl<QMenu>(form, "Manager1"), "", items);
  EXPECT_EQ(items.join('\n').toStdString(),
            "Left [Ctrl+Left]\nRight [Ctrl+Right]\nUp [Ctrl+Up]\nDown [Ctrl+Down]");
}

TEST_F(Menus, ItemsCarryTheirNames) {
  for (const char* name : {"New1", "Open1", "Save1", "Saveas1", "N1", "Exit1", "Daons1", "Spiral1",
                           "ShowSpin", "ShowNumbersOfPoints", "MoveToCenter", "Left1", "Right1", "Up1",
                           "Down1", "Help1", "RusHelp", "PolHelp", "About1"})
    EXPECT_NE(form->findChild<QAction*>(name), nullptr) << name;
  for (const char* name : {"File1", "View1", "Images", "Manager1", "Help0"})
    EXPECT_NE(form->findChild<QMenu*>(name), nullptr) << name;
}

TEST_F(Menus, CheckMarksFollowTheirKeys) {
  Activate();
  QTest::keyClick(form.get(), Qt::Key_F6);
  QTest::keyClick(form.get(), Qt::Key_F7);
  EXPECT_TRUE(Action("ShowSpin")->isChecked());
  EXPECT_TRUE(Action("ShowNumbersOfPoints")->isChecked());
  EXPECT_EQ(Display.SpinOn, 1);
  EXPECT_EQ(Display.ShowNumbers, 1);
  QTest::keyClick(Line("EditA1"), Qt::Key_F6);  // also from a text field
  EXPECT_FALSE(Action("ShowSpin")->isChecked());
  EXPECT_EQ(Display.SpinOn, 0);
}

}  // namespace
}  // namespace vorun
