#include "model/RecentFiles.h"

#include <gtest/gtest.h>

#include "model/FileFixture.h"

namespace vorun {
namespace {

using namespace test;
using Names = std::vector<std::string>;

TEST(RecentList, NewestFirstWithoutDuplicatesAndAtMostEight) {
  Names list;
  for (const char* name : {"/a", "/b", "/c"}) list = WithRecentFile(list, name);
  EXPECT_EQ(list, (Names{"/c", "/b", "/a"}));
  // Opened again: moves to the front instead of showing twice.
  EXPECT_EQ(WithRecentFile(list, "/a"), (Names{"/a", "/c", "/b"}));
  for (int i = 0; i < 10; ++i) list = WithRecentFile(list, "/f" + std::to_string(i));
  EXPECT_EQ(list, (Names{"/f9", "/f8", "/f7", "/f6", "/f5", "/f4", "/f3", "/f2"}));
}

TEST(RecentList, NamesThatALineCannotHoldAreNotAdded) {
  const Names list{"/a"};
  for (const char* name : {"", "/x\ny", "/x\r"}) EXPECT_EQ(WithRecentFile(list, name), list) << name;
}

using RecentFiles = FileTest;

TEST_F(RecentFiles, StoredBesideTheStartFileAndReadBack) {
  EXPECT_EQ(RecentFilesPath(StartFilePath), (fs::path(StartFilePath).parent_path() / "RecentFiles").string());
  EXPECT_EQ(ReadRecentFiles(StartFilePath), Names{});
  RememberRecentFile(StartFilePath, "/runs/ring.tvx");
  RememberRecentFile(StartFilePath, "/runs/äöü cloud.tvx");
  EXPECT_EQ(ReadBytes(RecentFilesPath(StartFilePath)), "/runs/äöü cloud.tvx\n/runs/ring.tvx\n");
  EXPECT_EQ(ReadRecentFiles(StartFilePath), (Names{"/runs/äöü cloud.tvx", "/runs/ring.tvx"}));
}

TEST_F(RecentFiles, AHandWrittenListIsReadToItsFirstEightNames) {
  fs::create_directories(fs::path(RecentFilesPath(StartFilePath)).parent_path());
  std::string content = "\n/first\n\n";
  for (int i = 0; i < 9; ++i) content += "/n" + std::to_string(i) + "\n";
  WriteBytes(RecentFilesPath(StartFilePath), content + "/no line break");
  const Names list = ReadRecentFiles(StartFilePath);
  ASSERT_EQ(list.size(), RecentFileLimit);
  EXPECT_EQ(list.front(), "/first");
  EXPECT_EQ(list.back(), "/n6");
}

// A folder where the list should be: nothing to read, and a write that fails
// with the user's text instead of passing in silence.
TEST_F(RecentFiles, AListThatCannotBeReadIsEmptyAndAFailedWriteThrows) {
  fs::create_directories(RecentFilesPath(StartFilePath));
  EXPECT_EQ(ReadRecentFiles(StartFilePath), Names{});
  EXPECT_EQ(ErrorOf([&] { RememberRecentFile(StartFilePath, "/new"); }), "File access denied");
  EXPECT_TRUE(fs::is_directory(RecentFilesPath(StartFilePath)));
}

}  // namespace
}  // namespace vorun
