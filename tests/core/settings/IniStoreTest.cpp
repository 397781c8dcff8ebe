// Quorel — SPDX-License-Identifier: MIT
#include "settings/IniStore.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel {
namespace {

using test::ReadFileText;
using test::TempDir;

// A file as the sibling program (or a person with an editor) might leave it.
const std::string kForeignFile =
    "; settings shared by Wq and its friends\r\n"
    "[Wq]\r\n"
    "flags=99\r\n"
    "\r\n"
    "[ quorel ]\r\n"
    ";flags=98\r\n"
    "#flags=97\r\n"
    "  Flags  =  7  \r\n"
    "FLAGS=5\r\n"
    "QuorelColor=\t255\r\n"
    "rate_h=\r\n"
    "rate_w=abc\r\n"
    "Rect= -5, 6 ,7,8,9\r\n"
    "\r\n"
    "[OPTION]\r\n"
    "graphiceditor = \"/usr/bin/paint me\"\r\n"
    "[Quorel]\r\n"
    "late=1\r\n";

class IniStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { test::WriteFileText(path_, kForeignFile); }
  TempDir dir_;
  std::filesystem::path path_ = dir_ / "wq.ini";
  IniStore store_{path_};
};

TEST_F(IniStoreTest, ReadsAForeignFileLikeTheProfileFunctions) {
  EXPECT_EQ(store_.ReadInt("flags", 14), 7);  // mixed case, blanks, first key wins
  EXPECT_EQ(store_.ReadInt("QUORELCOLOR", 0), 255);
  EXPECT_EQ(store_.ReadInt("rate_h", 48), 0);  // present but empty
  EXPECT_EQ(store_.ReadInt("rate_w", 48), 0);  // present but not a number
  EXPECT_EQ(store_.ReadInt("rate_v", 100), 100);  // absent
  EXPECT_EQ(store_.ReadInt("late", 3), 3);  // only the first section of a name counts
  EXPECT_EQ(store_.ReadString("Option", "GraphicEditor"), "/usr/bin/paint me");
  EXPECT_EQ(store_.ReadString("Quorel", "OutputFile"), "");
  EXPECT_EQ(store_.ReadRect(), (WindowRect{-5, 6, 7, 8}));
}

// A write changes only its one value (with the old value's trailing blanks); a
// new key goes at the end of its section, a new section at the end.
TEST_F(IniStoreTest, WritingChangesOnlyTheOneValue) {
  ASSERT_TRUE(store_.WriteInt("flags", 15));
  ASSERT_TRUE(store_.WriteString("option", "GRAPHICEDITOR", "/opt/pinta"));
  ASSERT_TRUE(store_.WriteInt("rate_type", 2));
  ASSERT_TRUE(store_.WriteString("Extra", "k", "v"));
  std::string expected = kForeignFile;
  expected.replace(expected.find("7  \r\n"), 3, "15");
  expected.replace(expected.find("\"/usr/bin/paint me\""), 19, "/opt/pinta");
  expected.insert(expected.find("\r\n\r\n[OPTION]") + 2, "rate_type=2\r\n");
  EXPECT_EQ(ReadFileText(path_), expected + "[Extra]\r\nk=v\r\n");
  EXPECT_EQ(store_.ReadString("Option", "GraphicEditor"), "/opt/pinta");
  EXPECT_EQ(store_.ReadInt("rate_type", 0), 2);
}

// A store read once answers from the text it read, whatever the file holds
// later, and from its own writes.
TEST_F(IniStoreTest, ReadOnceKeepsItsText) {
  const IniStore once(path_, IniReading::kOnce);
  test::WriteFileText(path_, "[Quorel]\r\nflags=1\r\n");
  EXPECT_EQ(once.ReadInt("flags", 14), 7);
  ASSERT_TRUE(once.WriteInt("rate_h", 64));
  EXPECT_EQ(once.ReadInt("flags", 14), 1);
  EXPECT_EQ(once.ReadInt("rate_h", 48), 64);
}

// A new file gets CRLF lines (in a folder made for it); line-feed ends, a last
// line without one and a byte order mark stay as they were.
TEST(IniStoreFileTest, KeepsTheFilesOwnForm) {
  struct Case {
    std::string before, after;
  };
  const Case cases[] = {
      {"", "[Quorel]\r\nrate_h=64\r\n"},
      {"[Quorel]\nflags=3", "[Quorel]\nflags=3\nrate_h=64\n"},
      {"\xEF\xBB\xBF[Quorel]\r\nflags=3\r\n", "\xEF\xBB\xBF[Quorel]\r\nflags=3\r\nrate_h=64\r\n"},
  };
  TempDir dir;
  const IniStore store(dir / "a" / "wq.ini");
  for (const Case& c : cases) {
    if (!c.before.empty()) test::WriteFileText(store.Path(), c.before);
    ASSERT_TRUE(store.WriteInt("rate_h", 64));
    EXPECT_EQ(ReadFileText(store.Path()), c.after);
  }
}

// A file that is there but cannot be read is never replaced; a link stays a
// link and its target is written.
TEST(IniStoreFileTest, FoldersAndLinks) {
  TempDir dir;
  const IniStore folder(dir / "folder.ini");
  std::filesystem::create_directory(folder.Path());
  EXPECT_EQ(folder.WriteInt("flags", 15).status(), Status::kCannotOpen);
  EXPECT_TRUE(std::filesystem::is_directory(folder.Path()));
  test::WriteFileText(dir / "real.ini", "[Quorel]\r\nflags=1\r\n");
  std::filesystem::create_symlink(dir / "real.ini", dir / "wq.ini");
  ASSERT_TRUE(IniStore(dir / "wq.ini").WriteInt("flags", 3));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "wq.ini"));
  EXPECT_EQ(ReadFileText(dir / "real.ini"), "[Quorel]\r\nflags=3\r\n");
}

// A string is cut at a line end and after 255 characters; numbers read as atoi
// reads them from at most 15 characters; the rectangle only with all four parts.
TEST(IniStoreFileTest, ReadsValuesLikeTheProfileFunctions) {
  TempDir dir;
  const IniStore store(dir / "wq.ini");
  ASSERT_TRUE(store.WriteString("Quorel", "OutputFile", "/tmp/a.txt\r\nflags=0"));
  EXPECT_EQ(store.ReadString("Quorel", "OutputFile"), "/tmp/a.txt");
  EXPECT_EQ(store.ReadInt("flags", 14), 14);
  ASSERT_TRUE(store.WriteString("Quorel", "OutputFile", std::string(300, 'x')));
  EXPECT_EQ(store.ReadString("Quorel", "OutputFile"), std::string(255, 'x'));
  const std::pair<const char*, int32_t> numbers[] = {
      {"-12abc", -12}, {"+7", 7}, {"0x1F", 0}, {"- 3", 0}, {"-99999999999", INT_MIN},
      {"1234567890123456789", INT_MAX},  // cut to 15 digits, still too large
      {"0000000000000123", 12},          // 16 characters, the last one cut
  };
  for (const auto& [stored, expected] : numbers) {
    ASSERT_TRUE(store.WriteString("Quorel", "v", stored));
    EXPECT_EQ(store.ReadInt("v", -1), expected) << stored;
  }
  // A missing comma voids the numbers read before it.
  const std::pair<const char*, WindowRect> rects[] = {
      {"10,20,30", {}}, {"10,20,30,40,50", {10, 20, 30, 40}}, {"1,,3,4", {1, 0, 3, 4}}};
  for (const auto& [stored, expected] : rects) {
    ASSERT_TRUE(store.WriteString("Quorel", "Rect", stored));
    EXPECT_EQ(store.ReadRect(), expected) << stored;
  }
}

}  // namespace
}  // namespace quorel
