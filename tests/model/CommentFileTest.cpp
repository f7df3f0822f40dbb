#include "model/CommentFile.h"

#include <gtest/gtest.h>
#include "model/FileFixture.h"

namespace vorun {
namespace {

using namespace test;
namespace fs = std::filesystem;

struct CommentName {
  const char* fileName;
  const char* commentName;
};

class CommentFileNames : public testing::TestWithParam<CommentName> {};

// The .tvx mapping stays what stored comment files rely on; any other name
// keeps every character, so the comment never lands on the ensemble itself
// or outside its folder.
TEST_P(CommentFileNames, ReplaceTheEnsembleExtensionOrAppend) {
  const std::string FileName = GetParam().fileName;
  EXPECT_EQ(CommentFileName(FileName), GetParam().commentName);
  EXPECT_EQ(FileName, GetParam().fileName);
}

INSTANTIATE_TEST_SUITE_P(Names, CommentFileNames,
                         testing::Values(CommentName{"name.ab", "name.ab.txt"}, CommentName{"abc", "abc.txt"},
                                         CommentName{"abcd", "abcd.txt"}, CommentName{"", ".txt"},
                                         CommentName{"D:\\runs\\ring.tvx", "D:\\runs\\ring.txt"},
                                         CommentName{"/home/u/runs/ring.tvx", "/home/u/runs/ring.txt"},
                                         CommentName{"RING.TVX", "RING.txt"}, CommentName{".tvx", ".txt"},
                                         CommentName{"ThetraSpiral", "ThetraSp.txt"},
                                         CommentName{"x.txt", "x.txt.txt"},
                                         CommentName{"/home/u/data/abc", "/home/u/data/abc.txt"},
                                         CommentName{"a.tvö", "a.tvö.txt"},
                                         CommentName{"größe.tvx", "größe.txt"}));

using Comment = FileTest;

// Every saving of a comment beside an ensemble named without .tvx leaves the
// ensemble's bytes as they were; a link that makes the comment file the
// ensemble itself is refused, and nothing is loaded from it.
TEST_F(Comment, NeverTheEnsembleFileItself) {
  const std::string record(3776, '\x5A');
  WriteBytes(Path("x.txt"), record);
  FileName = Path("x.txt");
  SaveComment(FileName, "a note");
  EXPECT_EQ(ReadBytes(Path("x.txt")), record);
  EXPECT_EQ(ReadBytes(Path("x.txt.txt")), "a note");

  WriteBytes(Path("y.tvx"), record);
  fs::create_symlink(Path("y.tvx"), Path("y.txt"));
  FileName = Path("y.tvx");
  EXPECT_EQ(LoadComment(FileName), std::nullopt);
  EXPECT_EQ(ErrorOf([&] { SaveComment(FileName, "over the record"); }),
            "The comment file " + Path("y.txt") + " is the ensemble file itself; the comment is not saved.");
  EXPECT_EQ(ReadBytes(Path("y.tvx")), record);
}

TEST_F(Comment, LinesAreWrittenWithCrLfAndNoBreakAfterTheLast) {
  FileName = Path("ring.tvx");
  SaveComment(FileName, "one\ntwo\rthree\r\nfour é");
  EXPECT_EQ(ReadBytes(Path("ring.txt")), "one\r\ntwo\r\nthree\r\nfour \xC3\xA9");
  EXPECT_EQ(LoadComment(FileName), "one\r\ntwo\r\nthree\r\nfour é");
  EXPECT_EQ(Listing(folder_), std::vector<std::string>{"ring.txt"});
}

TEST_F(Comment, LoneCrAndLfBecomeCrLfOnLoading) {
  FileName = Path("ring.tvx");
  WriteBytes(Path("ring.txt"), "a\rb\nc\r\nd\n\r\n\r");
  EXPECT_EQ(LoadComment(FileName), "a\r\nb\r\nc\r\nd\r\n\r\n\r\n");
}

TEST_F(Comment, MissingFileLeavesTheMemoAlone) {
  FileName = Path("ring.tvx");
  EXPECT_EQ(LoadComment(FileName), std::nullopt);
  fs::create_directory(Path("ring.txt"));
  EXPECT_EQ(LoadComment(FileName), std::nullopt);
}

// An old comment file in a single-byte code page: every byte must become a
// character, different bytes different characters, so saving it again loses
// nothing.
TEST_F(Comment, NonUtf8FileIsReadAsWindows1252WithoutLosingBytes) {
  std::string all;
  for (int b = 1; b < 256; ++b)
    if (b != '\r' && b != '\n') all += static_cast<char>(b);
  FileName = Path("old.tvx");
  WriteBytes(Path("old.txt"), all);
  const auto text = LoadComment(FileName);
  ASSERT_TRUE(text.has_value());
  EXPECT_NE(text->find("\xE2\x82\xAC"), std::string::npos);  // 0x80 is the euro sign
  EXPECT_NE(text->find("\xC2\x81"), std::string::npos);      // undefined 0x81 stays U+0081
  EXPECT_NE(text->find("\xC5\xB8"), std::string::npos);      // 0x9F is Y with diaeresis
  EXPECT_NE(text->find("\xC3\xBF"), std::string::npos);      // 0xFF is y with diaeresis
  EXPECT_EQ(text->substr(0, 3), "\x01\x02\x03");

  // Count the characters: one per byte of the file.
  std::size_t characters = 0;
  for (char c : *text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
  EXPECT_EQ(characters, all.size());

  // Saved again it is UTF-8 and reads back unchanged.
  SaveComment(FileName, *text);
  EXPECT_EQ(ReadBytes(Path("old.txt")), *text);
  EXPECT_EQ(LoadComment(FileName), text);
}

TEST_F(Comment, OverlongAndSurrogateSequencesAreNotTakenAsUtf8) {
  FileName = Path("x.tvx");
  WriteBytes(Path("x.txt"), "\xC0\xAF");  // an overlong "/"
  EXPECT_EQ(LoadComment(FileName), "\xC3\x80\xC2\xAF");
  WriteBytes(Path("x.txt"), "\xED\xA0\x80");  // a surrogate
  EXPECT_EQ(LoadComment(FileName), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
  WriteBytes(Path("x.txt"), "\xE2\x82");  // cut short
  EXPECT_EQ(LoadComment(FileName), "\xC3\xA2\xE2\x80\x9A");
}

TEST_F(Comment, SpiralNameGoesToTheCurrentFolderEveryTime) {
  const fs::path previous = fs::current_path();
  fs::current_path(folder_);
  FileName = "ThetraSpiral";
  SaveComment(FileName, "first");
  SaveComment(FileName, "second");
  fs::current_path(previous);
  EXPECT_EQ(FileName, "ThetraSpiral");
  EXPECT_EQ(ReadBytes(Path("ThetraSp.txt")), "second");
  EXPECT_EQ(Listing(folder_), std::vector<std::string>{"ThetraSp.txt"});
}

// A comment file that never ends, or one far larger than anyone writes, is
// not loaded whole: /dev/zero is no file at all, a file over the limit is
// reported, one at the limit still loads.
TEST_F(Comment, NeverReadBeyondTheLimit) {
  FileName = Path("ring.tvx");
  if (fs::exists("/dev/zero")) {
    fs::create_symlink("/dev/zero", Path("ring.txt"));
    EXPECT_EQ(LoadComment(FileName), std::nullopt);
    fs::remove(Path("ring.txt"));
  }
  WriteBytes(Path("ring.txt"), "big");
  fs::resize_file(Path("ring.txt"), MaxCommentBytes + 1);
  EXPECT_EQ(ErrorOf([&] { LoadComment(FileName); }),
            "The comment file " + Path("ring.txt") + " is larger than 16 MiB; it is not loaded.");
  fs::resize_file(Path("ring.txt"), MaxCommentBytes);
  const auto text = LoadComment(FileName);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->size(), MaxCommentBytes);
  EXPECT_EQ(text->substr(0, 4), std::string("big\0", 4));
}

}  // namespace
}  // namespace vorun
