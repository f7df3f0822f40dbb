// The help commands and the about box: the built-in help window, the two help
// files and the about box.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
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
  // The box the window made at its first About (no box was attached to it).
  TAboutBox* AboutBox() const { return form->findChild<TAboutBox*>(); }

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
  ASSERT_NE(AboutBox(), nullptr);
  EXPECT_FALSE(AboutBox()->isVisible());
  EXPECT_EQ(AboutBox()->result(), QDialog::Accepted);
}

TEST_F(About, EnterPressesOKAndTheCloseBoxClosesTooAndTheBoxIsShownAgain) {
  WithBoxOpen([](TAboutBox* box) { QTest::keyClick(box, Qt::Key_Return); });
  ASSERT_NE(AboutBox(), nullptr);
  TAboutBox* first = AboutBox();
  EXPECT_FALSE(first->isVisible());
  WithBoxOpen([&](TAboutBox* box) {
    EXPECT_EQ(box, first);
    box->close();
  });
  EXPECT_FALSE(first->isVisible());
}

}  // namespace
}  // namespace vorun
