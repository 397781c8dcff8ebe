// Quorel — SPDX-License-Identifier: MIT
#include "output/OutputStyle.h"

#include <gtest/gtest.h>

#include <cstring>

#include "output/PreviewPage.h"
#include "settings/IniStore.h"
#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel {
namespace {

constexpr OutputStyle kPng2{OutputFormat::kPng, OutputDensity::kDouble};

// Only the exact stored values choose; anything else is the output of old.
TEST(OutputStyleTest, ReadFromIniWithTheDefaultForBadValues) {
  const test::TempDir dir;
  const IniStore store(dir / "wq.ini");
  struct Case {
    const char* text;
    OutputStyle style;
  };
  for (const Case& c : {Case{"", {}}, Case{"[Quorel]\nOutputFormat=1\nOutputDensity=2\n", kPng2},
                        Case{"[Quorel]\nOutputFormat=png\nOutputDensity=3\n", {}},
                        Case{"[Quorel]\nOutputFormat=2\nOutputDensity=-2\n", {}},
                        Case{"[Quorel]\nOutputDensity=2\n", {OutputFormat::kGif, OutputDensity::kDouble}},
                        Case{"[Other]\nOutputFormat=1\n", {}}}) {
    test::WriteFileBytes(store.Path(), std::vector<uint8_t>(c.text, c.text + std::strlen(c.text)));
    EXPECT_EQ(ReadOutputStyle(store), c.style) << c.text;
  }
  ASSERT_TRUE(WriteOutputStyle(store, kPng2).ok());
  EXPECT_EQ(ReadOutputStyle(store), kPng2);
}

// The preview shows a new style's snippet on white and on black, in that
// order; the default keeps its page.
TEST(OutputStyleTest, PreviewShowsANewStyleOnBothBackgrounds) {
  const std::string page = MakePreviewPage("<i>", 1, 0, kPng2).value();
  const size_t white = page.find("bgcolor=#ffffff>");
  const size_t black = page.find("bgcolor=#000000>");
  EXPECT_LT(white, black);
  EXPECT_EQ(page.find("<i>", white), white + 16);
  EXPECT_EQ(page.find("<i>", black), black + 16);
  EXPECT_EQ(MakePreviewPage("<i>", 1, 0).value(), "<i>");
}

}  // namespace
}  // namespace quorel
