#include "model/StartFile.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <climits>

#include "model/FileFixture.h"

namespace vorun {
namespace {

using namespace test;
namespace fs = std::filesystem;

using StartFile = FileTest;

TEST_F(StartFile, HoldsExactlyTheNameWithoutALineBreak) {
  FileName = "D:\\runs\\ring.tvx";
  RememberFile(StartFilePath, FileName, LastFileName);
  EXPECT_EQ(LastFileName, "D:\\runs\\ring.tvx");
  EXPECT_EQ(ReadBytes(StartFilePath), "D:\\runs\\ring.tvx");
  EXPECT_EQ(ReadBytes(StartFilePath).size(), 16u);
  // Rewritten, not appended.
  FileName = "/b.tvx";
  RememberFile(StartFilePath, FileName, LastFileName);
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
      // As long as a path may be, and longer: no more than that is read.
      {std::string(PATH_MAX - 1, 'x') + "\nz", std::string(PATH_MAX - 1, 'x')},
      {std::string(10000, 'x') + "\nz", std::string(PATH_MAX, 'x')},
  };
  for (const auto& [content, first] : cases) {
    WriteBytes(StartFilePath, content);
    LastFileName = "stale";
    EXPECT_TRUE(ReadStartFile(StartFilePath, LastFileName));
    EXPECT_TRUE(LastFileName == first) << content.size() << " bytes gave " << LastFileName.size();
  }
}

// A start file that never ends, or that has no line break in gigabytes, once
// took all memory. Now it takes the fallback, or gives a name of PATH_MAX
// bytes that no file has (it holds NUL bytes here), at once.
TEST_F(StartFile, NeverReadBeyondAPathsLength) {
  if (fs::exists("/dev/zero")) {
    StartFilePath = "/dev/zero";
    EXPECT_FALSE(ReadStartFile(StartFilePath, LastFileName));
    StartFilePath = Path("zero");
    fs::create_symlink("/dev/zero", StartFilePath);
    EXPECT_FALSE(ReadStartFile(StartFilePath, LastFileName));
  }
  StartFilePath = Path("huge");
  WriteBytes(StartFilePath, "/a");
  fs::resize_file(StartFilePath, std::uintmax_t{3} << 30);  // sparse: no disk used
  EXPECT_TRUE(ReadStartFile(StartFilePath, LastFileName));
  EXPECT_EQ(LastFileName.size(), std::size_t{PATH_MAX});
  EXPECT_EQ(LastFileName.substr(0, 3), std::string("/a\0", 3));
}

// The start file gives back the name only up to a line break, so a name with
// one would bring back some other file at the next start.
TEST_F(StartFile, NameWithALineBreakIsRefusedAndNothingChanges) {
  FileName = Path("kept.tvx");
  RememberFile(StartFilePath, FileName, LastFileName);
  for (const char* name : {"/a/ring\n.tvx", "/a/ring\r.tvx", "\n"}) {
    FileName = name;
    EXPECT_EQ(
        ErrorOf([&] { RememberFile(StartFilePath, FileName, LastFileName); }),
        "A file name with a line break cannot be remembered for the next start. Choose a name without one.");
    EXPECT_EQ(LastFileName, Path("kept.tvx"));
    EXPECT_EQ(ReadBytes(StartFilePath), Path("kept.tvx"));
  }
  EXPECT_EQ(ErrorOf([&] { CheckRememberable("/a/ring.tvx"); }), "no error");
  // Longer than a reading gives back: no path is, but the start file must
  // not be written with it either.
  EXPECT_EQ(ErrorOf([&] { CheckRememberable(std::string(PATH_MAX, 'n')); }), "no error");
  FileName = std::string(PATH_MAX + 1, 'n');
  EXPECT_EQ(ErrorOf([&] { RememberFile(StartFilePath, FileName, LastFileName); }),
            "A file name longer than " + std::to_string(PATH_MAX) +
                " bytes cannot be remembered for the next start.");
  EXPECT_EQ(ReadBytes(StartFilePath), Path("kept.tvx"));
}

TEST_F(StartFile, MissingFileIsReportedToTheCallerOnly) {
  LastFileName = "kept";
  EXPECT_FALSE(ReadStartFile(StartFilePath, LastFileName));
  EXPECT_EQ(LastFileName, "kept");
  fs::create_directories(StartFilePath);  // a folder where the file should be
  EXPECT_FALSE(ReadStartFile(StartFilePath, LastFileName));
}

TEST_F(StartFile, IsCreatedEmptyWithItsFolder) {
  CreateEmptyStartFile(StartFilePath);
  EXPECT_TRUE(fs::is_regular_file(StartFilePath));
  EXPECT_EQ(fs::file_size(StartFilePath), 0u);
  LastFileName = "stale";
  EXPECT_TRUE(ReadStartFile(StartFilePath, LastFileName));
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
