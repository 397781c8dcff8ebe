// Quorel — SPDX-License-Identifier: MIT
#include "settings/IniStore.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel {
namespace {

using test::ReadFileBytes;
using test::TempDir;

std::string ReadText(const std::filesystem::path& path) {
  const auto bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  test::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// A file as the sibling program (or a person with an editor) might leave it.
const std::string kForeignFile =
    "; settings shared by Wq and its friends\r\n"
    "[Wq]\r\n"
    "flags=99\r\n"
    "\r\n"
    "[ quorel ]\r\n"
    ";flags=98\r\n"
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
  void SetUp() override { WriteText(path_, kForeignFile); }
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

TEST_F(IniStoreTest, WritingChangesOnlyTheOneValue) {
  ASSERT_TRUE(store_.WriteInt("flags", 15));
  std::string expected = kForeignFile;
  // The old value's trailing blanks go with it.
  expected.replace(expected.find("7  \r\n"), 3, "15");
  EXPECT_EQ(ReadText(path_), expected);

  ASSERT_TRUE(store_.WriteString("option", "GRAPHICEDITOR", "/opt/pinta"));
  expected.replace(expected.find("\"/usr/bin/paint me\""), 19, "/opt/pinta");
  EXPECT_EQ(ReadText(path_), expected);
  EXPECT_EQ(store_.ReadString("Option", "GraphicEditor"), "/opt/pinta");
}

TEST_F(IniStoreTest, NewKeyGoesAtTheEndOfItsSectionAndNewSectionAtTheEnd) {
  ASSERT_TRUE(store_.WriteInt("rate_type", 2));
  ASSERT_TRUE(store_.WriteString("Extra", "k", "v"));
  std::string expected = kForeignFile;
  expected.insert(expected.find("\r\n\r\n[OPTION]") + 2, "rate_type=2\r\n");
  expected += "[Extra]\r\nk=v\r\n";
  EXPECT_EQ(ReadText(path_), expected);
  EXPECT_EQ(store_.ReadInt("rate_type", 0), 2);
}

TEST(IniStoreFileTest, CreatesAMissingFolderAndFileWithCrlfLines) {
  TempDir dir;
  const IniStore store(dir / "a" / "b" / "wq.ini");
  EXPECT_EQ(store.ReadInt("flags", 14), 14);
  ASSERT_TRUE(store.WriteInt("flags", 15));
  ASSERT_TRUE(store.WriteRect({1, -2, 300, 400}));
  EXPECT_EQ(ReadText(store.Path()), "[Quorel]\r\nflags=15\r\nRect=1,-2,300,400\r\n");
  EXPECT_EQ(store.ReadRect(), (WindowRect{1, -2, 300, 400}));
}

// Line-feed ends, a last line without one and a byte order mark stay as they were.
TEST(IniStoreFileTest, KeepsTheFilesOwnForm) {
  struct Case {
    std::string before, after;
  };
  const Case cases[] = {
      {"[Quorel]\nflags=3", "[Quorel]\nflags=3\nrate_h=64\n"},
      {"\xEF\xBB\xBF[Quorel]\r\nflags=3\r\n", "\xEF\xBB\xBF[Quorel]\r\nflags=3\r\nrate_h=64\r\n"},
  };
  TempDir dir;
  const IniStore store(dir / "wq.ini");
  for (const Case& c : cases) {
    WriteText(store.Path(), c.before);
    EXPECT_EQ(store.ReadInt("flags", 14), 3);
    ASSERT_TRUE(store.WriteInt("rate_h", 64));
    EXPECT_EQ(ReadText(store.Path()), c.after);
  }
}

// A value is cut at a line end and after 255 characters.
TEST(IniStoreFileTest, StringsStayOneShortLine) {
  TempDir dir;
  const IniStore store(dir / "wq.ini");
  ASSERT_TRUE(store.WriteString("Quorel", "OutputFile", "/tmp/a.txt\r\nflags=0"));
  EXPECT_EQ(store.ReadString("Quorel", "OutputFile"), "/tmp/a.txt");
  EXPECT_EQ(store.ReadInt("flags", 14), 14);
  ASSERT_TRUE(store.WriteString("Quorel", "OutputFile", std::string(300, 'x')));
  EXPECT_EQ(store.ReadString("Quorel", "OutputFile"), std::string(255, 'x'));
}

TEST(IniStoreFileTest, NeverReplacesAFileItCannotRead) {
  TempDir dir;
  const IniStore store(dir / "wq.ini");
  std::filesystem::create_directory(store.Path());  // there, but not a readable file
  EXPECT_FALSE(store.WriteInt("flags", 15));
  EXPECT_TRUE(std::filesystem::is_directory(store.Path()));
  EXPECT_EQ(store.ReadInt("flags", 14), 14);
}

TEST(IniStoreFileTest, WritesThroughALinkAndKeepsIt) {
  TempDir dir;
  WriteText(dir / "real.ini", "[Quorel]\r\nflags=1\r\n");
  std::filesystem::create_symlink(dir / "real.ini", dir / "wq.ini");
  const IniStore store(dir / "wq.ini");
  ASSERT_TRUE(store.WriteInt("flags", 3));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "wq.ini"));
  EXPECT_EQ(ReadText(dir / "real.ini"), "[Quorel]\r\nflags=3\r\n");
}

TEST(IniStoreFileTest, ReadsIntegersLikeAtoiOverFifteenCharacters) {
  struct Case {
    const char* stored;
    int32_t expected;
  };
  const Case cases[] = {
      {"42", 42},           {"-12abc", -12},       {"+7", 7},
      {"0x1F", 0},          {"- 3", 0},            {"abc", 0},
      {"1234567890123456789", INT_MAX},  // cut to 15 digits, still too large
      {"0000000000000123", 12},          // 16 characters, the last one cut
      {"-99999999999", INT_MIN},         {"2147483647", INT_MAX},
  };
  TempDir dir;
  const IniStore store(dir / "wq.ini");
  for (const Case& c : cases) {
    ASSERT_TRUE(store.WriteString("Quorel", "v", c.stored));
    EXPECT_EQ(store.ReadInt("v", -1), c.expected) << '"' << c.stored << '"';
  }
}

TEST(IniStoreFileTest, ReadsTheRectOnlyWithAllFourParts) {
  struct Case {
    const char* stored;
    WindowRect expected;
  };
  const Case cases[] = {
      {"", {}},
      {"10,20,30", {}},  // a missing comma voids the numbers read before it
      {"10,20,30,40,50", {10, 20, 30, 40}},
      {"a,b,c,d", {}},
      {"1,,3,4", {1, 0, 3, 4}},
  };
  TempDir dir;
  const IniStore store(dir / "wq.ini");
  EXPECT_EQ(store.ReadRect(), WindowRect{});
  for (const Case& c : cases) {
    ASSERT_TRUE(store.WriteString("Quorel", "Rect", c.stored));
    EXPECT_EQ(store.ReadRect(), c.expected) << '"' << c.stored << '"';
  }
}

}  // namespace
}  // namespace quorel
