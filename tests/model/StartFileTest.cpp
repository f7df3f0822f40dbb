#include "model/StartFile.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include "model/FileFixture.h"

namespace vorun {
namespace {

using namespace test;
namespace fs = std::filesystem;

using StartFile = FileTest;

TEST_F(StartFile, HoldsExactlyTheNameWithoutALineBreak) {
  FileName = "D:\\runs\\ring.tvx";
  RememberFile();
  EXPECT_EQ(LastFileName, "D:\\runs\\ring.tvx");
  EXPECT_EQ(ReadBytes(StartFilePath), "D:\\runs\\ring.tvx");
  EXPECT_EQ(ReadBytes(StartFilePath).size(), 16u);
  // Rewritten, not appended.
  FileName = "/b.tvx";
  RememberFile();
  EXPECT_EQ(ReadBytes(StartFilePath), "/b.tvx");
  EXPECT_EQ(Listing(fs::path(StartFilePath).parent_path()), std::vector<std::string>{"Start.tvx2"});
}

TEST_F(StartFile, YieldsItsFirstLine) {
  fs::create_directories(fs::path(StartFilePath).parent_path());
  const std::pair<std::string, std::string> cases[] = {
      {"/a/ring.tvx\r\n/b/other.tvx", "/a/ring.tvx"},
      {"/a/ring.tvx\n/b/other.tvx\n", "/a/ring.tvx"},
      {"/a/ring.tvx\r", "/a/ring.tvx"},
      {"/a/ring.tvx", "/a/ring.tvx"},
      {"", ""},
      {"\r\n/b/other.tvx", ""},
      {std::string(10000, 'x') + "\nz", std::string(10000, 'x')},
  };
  for (const auto& [content, first] : cases) {
    WriteBytes(StartFilePath, content);
    LastFileName = "stale";
    EXPECT_TRUE(ReadStartFile());
    EXPECT_EQ(LastFileName, first);
  }
}

TEST_F(StartFile, MissingFileIsReportedToTheCallerOnly) {
  LastFileName = "kept";
  EXPECT_FALSE(ReadStartFile());
  EXPECT_EQ(LastFileName, "kept");
  fs::create_directories(StartFilePath);  // a folder where the file should be
  EXPECT_FALSE(ReadStartFile());
}

TEST_F(StartFile, IsCreatedEmptyWithItsFolder) {
  CreateEmptyStartFile();
  EXPECT_TRUE(fs::is_regular_file(StartFilePath));
  EXPECT_EQ(fs::file_size(StartFilePath), 0u);
  LastFileName = "stale";
  EXPECT_TRUE(ReadStartFile());
  EXPECT_EQ(LastFileName, "");
}

TEST(StartFilePath, LivesInTheUsersConfigFolder) {
  const char* xdg = getenv("XDG_CONFIG_HOME");
  const std::string savedXdg = xdg ? xdg : "";
  const char* home = getenv("HOME");
  const std::string savedHome = home ? home : "";

  setenv("HOME", "/home/someone", 1);
  setenv("XDG_CONFIG_HOME", "/elsewhere/conf", 1);
  EXPECT_EQ(DefaultStartFilePath(), "/elsewhere/conf/vorun/Start.tvx2");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(DefaultStartFilePath(), "/home/someone/.config/vorun/Start.tvx2");
  setenv("XDG_CONFIG_HOME", "relative/conf", 1);  // must be ignored
  EXPECT_EQ(DefaultStartFilePath(), "/home/someone/.config/vorun/Start.tvx2");

  if (xdg)
    setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  if (home)
    setenv("HOME", savedHome.c_str(), 1);
  else
    unsetenv("HOME");
}

}  // namespace
}  // namespace vorun
