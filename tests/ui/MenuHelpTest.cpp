// The menu tree as the user sees it, the help commands and the about box.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <functional>

#include "engine/WorkerPool.h"
#include "ui/About.h"
#include "ui/Controls.h"
#include "ui/Help.h"
#include "ui/Icons.h"
#include "ui/MainFormFixture.h"
#include "ui/SampleFiles.h"
#include "ui/ThreadMenu.h"

namespace vorun {
namespace {

class Menus : public test::MainFormTest {
 protected:
  void Activate() {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }

  // The tree in display order, one line per entry: menus by title, items
  // indented with their shortcut, check mark and state, "-" for a separator.
  static void Describe(const QMenu* menu, const QString& indent, QStringList& out) {
    for (const QAction* a : menu->actions()) {
      if (a->isSeparator()) {
        out << indent + "-";
        continue;
      }
      QString line = indent + a->text();
      if (!a->shortcut().isEmpty()) line += " [" + a->shortcut().toString() + "]";
      if (a->isCheckable()) line += a->isChecked() ? " (checked)" : " (unchecked)";
      if (!a->isEnabled()) line += " (disabled)";
      out << line;
      if (a->menu() != nullptr) Describe(a->menu(), indent + "  ", out);
    }
  }

  QStringList Tree() const {
    QStringList out;
    for (const QAction* a : form->menuBar()->actions()) {
      out << a->text() + (a->isVisible() ? "" : " (hidden)") + (a->isEnabled() ? "" : " (disabled)");
      Describe(a->menu(), "  ", out);
    }
    return out;
  }
};

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
  ASSERT_EQ(vorun::Run.StepCount, 1);
  EXPECT_EQ(Text(during), Text(Expected(true)));
  EXPECT_EQ(managerDuring, manager);

  EXPECT_EQ(Text(Tree()), Text(Expected(false)));
  EXPECT_EQ(Manager(), manager);
}

// Commands reach the window between two steps of a run.
TEST_F(MenuTree, ViewCommandsAndShortcutsWorkDuringARun) {
  Activate();
  QTimer::singleShot(0, form.get(), [&] {
    EXPECT_EQ(vorun::Run.Stopped, 0);
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
      stepsWhileOpen = vorun::Run.StepCount;
      for (int i = 0; i < 20; ++i) QApplication::processEvents();
      stepsLater = vorun::Run.StepCount;
      if (box != nullptr) box->close();
    });
    Action("About1")->trigger();
    Push("Go")->click();
  });
  Push("Go")->click();
  EXPECT_GE(stepsWhileOpen, 1);
  EXPECT_EQ(stepsLater, stepsWhileOpen);
  EXPECT_EQ(vorun::Run.Stopped, 1);
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

// --- English help ---------------------------------------------------------------------------

TEST_F(Menus, F1OpensTheBuiltInHelpWindow) {
  Activate();
  EXPECT_EQ(form->findChild<QWidget*>("HelpWindow"), nullptr);
  QTest::keyClick(form.get(), Qt::Key_F1);
  EXPECT_TRUE(FindControl<THelpWindow>(form, "HelpWindow")->isVisible());
  EXPECT_TRUE(FindControl<THelpWindow>(form, "HelpWindow")->isWindow());
  const QString text = FindControl<THelpWindow>(form, "HelpWindow")->Browser->toPlainText();
  for (const char* topic : {"Turning, zooming and moving the view", "Heater", "EPES-", ".tvx", "Ctrl+F1"})
    EXPECT_TRUE(text.contains(topic)) << topic;

  // A second F1 shows the same window again.
  THelpWindow* first = FindControl<THelpWindow>(form, "HelpWindow");
  first->close();
  Activate();
  QTest::keyClick(form.get(), Qt::Key_F1);
  EXPECT_EQ(FindControl<THelpWindow>(form, "HelpWindow"), first);
  EXPECT_TRUE(first->isVisible());
}

TEST_F(Menus, HelpLinksLeadWithinTheText) {
  Action("Help1")->trigger();
  QTextBrowser* browser = FindControl<THelpWindow>(form, "HelpWindow")->Browser;
  browser->setSource(HelpTextUrl().resolved(QUrl("#keys")));
  EXPECT_TRUE(browser->toPlainText().contains("Shortcuts"));
  EXPECT_GT(browser->verticalScrollBar()->value(), 0);
}

// --- the two help files ------------------------------------------------------------------------

class HelpFiles : public Menus {
 protected:
  void SetUp() override {
    Menus::SetUp();
    ASSERT_TRUE(work.isValid());
    previous = QDir::currentPath();
    QDir::setCurrent(work.path());
    SetDesktopOpener([this](const QUrl& url) {
      opened << url;
      return opens;
    });
  }
  void TearDown() override {
    SetDesktopOpener(nullptr);
    QDir::setCurrent(previous);
    Menus::TearDown();
  }
  static void Create(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("help");
  }

  QTemporaryDir work;
  QString previous;
  QList<QUrl> opened;
  bool opens = true;
};

TEST_F(HelpFiles, MissingFileIsReportedByNameAndNothingOpens) {
  Activate();
  QTest::keyClick(form.get(), Qt::Key_F1, Qt::ControlModifier);
  QTest::keyClick(form.get(), Qt::Key_F1, Qt::ShiftModifier);
  EXPECT_TRUE(opened.isEmpty());
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Information);
  EXPECT_TRUE(dialogs.messages[0].text.contains("\"ZazARUZiv.HLP\""));
  EXPECT_TRUE(dialogs.messages[1].text.contains("\"DavARIRev.HLP\""));
  EXPECT_EQ(form->findChild<QWidget*>("HelpWindow"), nullptr);
}

TEST_F(HelpFiles, RussianThenPolishEachOpenOnceFromTheWorkingFolder) {
  Create(work.filePath("ZazARUZiv.HLP"));
  Create(work.filePath("DavARIRev.HLP"));
  Activate();
  QTest::keyClick(form.get(), Qt::Key_F1, Qt::ControlModifier);
  ASSERT_EQ(opened.size(), 1);
  QTest::keyClick(form.get(), Qt::Key_F1, Qt::ShiftModifier);
  ASSERT_EQ(opened.size(), 2);
  EXPECT_EQ(opened[0], QUrl::fromLocalFile(QDir(work.path()).absoluteFilePath("ZazARUZiv.HLP")));
  EXPECT_EQ(opened[1], QUrl::fromLocalFile(QDir(work.path()).absoluteFilePath("DavARIRev.HLP")));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(HelpFiles, NameMatchesWithoutRegardToCase) {
  Create(work.filePath("zazaruziv.hlp"));
  Action("RusHelp")->trigger();
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(opened[0].toLocalFile(), QDir(work.path()).absoluteFilePath("zazaruziv.hlp"));
}

TEST_F(HelpFiles, FileThatNothingOpensIsReported) {
  Create(work.filePath("DavARIRev.HLP"));
  opens = false;
  Action("PolHelp")->trigger();
  EXPECT_EQ(opened.size(), 1);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Information);
  EXPECT_TRUE(dialogs.messages[0].text.contains("DavARIRev.HLP"));
}

TEST_F(HelpFiles, WorkingFolderComesBeforeTheProgramFolder) {
  QTemporaryDir program;
  ASSERT_TRUE(program.isValid());
  Create(program.filePath("ZazARUZiv.HLP"));
  const QStringList folders = {work.path(), program.path()};
  EXPECT_EQ(FindHelpFileIn("ZazARUZiv.HLP", folders), QDir(program.path()).absoluteFilePath("ZazARUZiv.HLP"));
  Create(work.filePath("ZazARUZiv.HLP"));
  EXPECT_EQ(FindHelpFileIn("ZazARUZiv.HLP", folders), QDir(work.path()).absoluteFilePath("ZazARUZiv.HLP"));
  EXPECT_EQ(FindHelpFileIn("DavARIRev.HLP", folders), std::nullopt);
  // A folder or a wildcard in the name searches nowhere else.
  EXPECT_EQ(FindHelpFileIn("*.HLP", folders), std::nullopt);
  EXPECT_EQ(FindHelpFileIn("../ZazARUZiv.HLP", {program.path() + "/sub"}), std::nullopt);
  // A folder of that name is no help file.
  QDir(program.path()).mkdir("DavARIRev.HLP");
  EXPECT_EQ(FindHelpFileIn("DavARIRev.HLP", {program.path()}), std::nullopt);
}

// --- the about box ------------------------------------------------------------------------------

class About : public Menus {
 protected:
  // Runs check on the modal box while About1 waits for it.
  void WithBoxOpen(const std::function<void(TAboutBox*)>& check) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      auto* box = dynamic_cast<TAboutBox*>(QApplication::activeModalWidget());
      ran = true;
      if (box == nullptr) {
        ADD_FAILURE() << "no modal about box";
        if (QWidget* w = QApplication::activeModalWidget()) w->close();
        return;
      }
      check(box);
    });
    Action("About1")->trigger();
    EXPECT_TRUE(ran);
  }
};

TEST_F(About, ShowsNameAndVersionAndClosesWithOK) {
  QApplication::setWindowIcon(MakeProgramIcon());
  bool stillOpenAfterEscape = false;
  WithBoxOpen([&](TAboutBox* box) {
    EXPECT_EQ(box->windowTitle(), "About");
    EXPECT_EQ(box->size(), QSize(343, 222));
    EXPECT_EQ(box->minimumSize(), box->maximumSize());
    EXPECT_EQ(box->Panel->geometry(), QRect(8, 8, 329, 169));
    EXPECT_EQ(box->AboutIcon->geometry(), QRect(16, 16, 33, 33));
    EXPECT_EQ(box->ProgramIcon->geometry(), QRect(280, 16, 33, 33));
    EXPECT_FALSE(box->ProgramIcon->pixmap().isNull());
    EXPECT_FALSE(box->AboutIcon->pixmap().isNull());
    EXPECT_EQ(box->ProductName->text(), "Vorun");
    EXPECT_EQ(box->ProductName->pos(), QPoint(131, 16));
    EXPECT_EQ(box->ProductName->font().pixelSize(), 24);
    EXPECT_EQ(box->ProductName->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(box->Version->text(), "Version 1.1");
    EXPECT_EQ(box->Version->pos(), QPoint(136, 48));
    EXPECT_EQ(box->OKButton->text(), "OK");
    EXPECT_EQ(box->OKButton->geometry(), QRect(135, 188, 75, 25));
    EXPECT_TRUE(box->OKButton->isDefault());
    const QPoint screenCentre = box->screen()->availableGeometry().center();
    // The whole box with its frame stands in the middle of the screen.
    EXPECT_LE((box->frameGeometry().center() - screenCentre).manhattanLength(), 1);

    QTest::keyClick(box, Qt::Key_Escape);
    stillOpenAfterEscape = box->isVisible();
    QTest::mouseClick(box->OKButton, Qt::LeftButton);
  });
  EXPECT_TRUE(stillOpenAfterEscape);
  ASSERT_NE(AboutBox, nullptr);
  EXPECT_FALSE(AboutBox->isVisible());
  EXPECT_EQ(AboutBox->result(), QDialog::Accepted);
}

TEST_F(About, EnterPressesOKAndTheCloseBoxClosesTooAndTheBoxIsShownAgain) {
  WithBoxOpen([](TAboutBox* box) { QTest::keyClick(box, Qt::Key_Return); });
  ASSERT_NE(AboutBox, nullptr);
  TAboutBox* first = AboutBox;
  EXPECT_FALSE(first->isVisible());
  WithBoxOpen([&](TAboutBox* box) {
    EXPECT_EQ(box, first);
    box->close();
  });
  EXPECT_FALSE(first->isVisible());
}

}  // namespace
}  // namespace vorun
