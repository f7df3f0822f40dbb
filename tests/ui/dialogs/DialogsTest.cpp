#include <gtest/gtest.h>

#include <stdexcept>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "model/Error.h"
#include "model/NumberText.h"
#include "ui/ScriptedDialogs.h"
#include "ui/main/Main.h"

namespace vorun {
namespace {

TEST(ErrorReport, EscapingErrorIsShownOnceAndWorkBeforeItStays) {
  test::ScriptedDialogs dialogs;
  int done = 0;
  Guarded(nullptr, [&] {
    done = 1;
    throw Error("File not found");
  });
  EXPECT_EQ(done, 1);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "File not found");
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
}

TEST(ErrorReport, HandlerWithoutErrorShowsNothing) {
  test::ScriptedDialogs dialogs;
  Guarded(nullptr, [] {});
  EXPECT_TRUE(dialogs.messages.empty());
}

// Message boxes carry the program's title. Qt adds an explicitly set display
// name to the caption of every other window (" Editing of gravon's or taon's
// values — Vorun - Quarvel"), so the title must come from the application name,
// of which the display name is only the fallback.
TEST(ApplicationTitle, NamesMessageBoxesWithoutBeingAddedToEveryCaption) {
  const QString savedName = QCoreApplication::applicationName();
  const char savedSeparator = DecimalSeparator;
  SetUpApplication();
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Vorun - Quarvel");
  QCoreApplication::setApplicationName("probe");
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), "probe");
  QCoreApplication::setApplicationName(savedName);
  DecimalSeparator = savedSeparator;
}

// The real message box, as the program shows it: wide enough for the window
// manager to show its whole title, whatever short text it carries.
TEST(MessageBox, IsWideEnoughForItsWholeTitle) {
  const QString savedName = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName("Vorun - Quarvel");
  int width = 0;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    width = box->width();
    box->close();
  });
  EXPECT_EQ(Dialogs().Message(nullptr, MessageKind::Error, "File not found", MessageButtons::Ok),
            MessageAnswer::Ok);
  EXPECT_GE(width, MessageBoxMinimumWidth("Vorun - Quarvel"));
  QFont bold = QApplication::font();
  bold.setBold(true);
  EXPECT_GT(MessageBoxMinimumWidth("Vorun - Quarvel"),
            QFontMetrics(bold).horizontalAdvance("Vorun - Quarvel") + 100);
  QCoreApplication::setApplicationName(savedName);
}

// The question asked at exit has three answers; its close box means Cancel.
TEST(MessageBox, ClosingTheThreeWayQuestionIsCancel) {
  QTimer::singleShot(0, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  EXPECT_EQ(Dialogs().Message(nullptr, MessageKind::Confirmation, "The text was changed. Save now?",
                              MessageButtons::YesNoCancel),
            MessageAnswer::Cancel);
}

}  // namespace
}  // namespace vorun
