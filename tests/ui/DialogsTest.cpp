#include <gtest/gtest.h>

#include <stdexcept>

#include <QApplication>

#include "model/Error.h"
#include "model/NumberText.h"
#include "ui/Main.h"
#include "ui/ScriptedDialogs.h"

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

}  // namespace
}  // namespace vorun
