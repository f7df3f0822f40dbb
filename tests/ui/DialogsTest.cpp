#include <gtest/gtest.h>

#include <stdexcept>

#include "model/Error.h"
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

}  // namespace
}  // namespace vorun
