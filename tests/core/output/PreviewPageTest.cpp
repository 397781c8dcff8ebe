// Quorel — SPDX-License-Identifier: MIT
#include "output/PreviewPage.h"

#include <gtest/gtest.h>

#include "output/ColourText.h"
#include "settings/OptionBits.h"
#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel {
namespace {

TEST(PreviewPageTest, BlackPageOnlyForALightSignatureThatTakesPart) {
  struct Case { int32_t bits; Colour signature; bool black; };
  const Case cases[] = {
      {option_bit::kSignature, MakeColour(128, 0, 0), false},  // sum 128
      {option_bit::kSignature, MakeColour(129, 0, 0), true},
      {option_bit::kSeal, MakeColour(255, 255, 255), false},   // signature not taking part
  };
  for (const Case& c : cases) {
    EXPECT_EQ(*MakePreviewPage("<div>x</div>", c.bits, c.signature),
              c.black ? "<html><body bgcolor=#000000><div>x</div></body></html>" : "<div>x</div>");
  }
}

TEST(PreviewPageTest, WriteTextFileLeavesExactlyTheText) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "out.txt", std::vector<uint8_t>(100, 'z'));
  ASSERT_TRUE(WriteTextFile("<div>", dir / "out.txt"));
  EXPECT_EQ(test::ReadFileBytes(dir / "out.txt"), (std::vector<uint8_t>{'<', 'd', 'i', 'v', '>'}));
  EXPECT_EQ(WriteTextFile("x", dir / "missing" / "out.txt").status(), Status::kCannotOpen);
}

TEST(ColourTextTest, ExactlySixHexDigits) {
  EXPECT_EQ(ParseColourText("ff8000"), Colour{33023});
  EXPECT_EQ(ParseColourText("0000Ff"), MakeColour(0, 0, 255));
  for (const char* bad : {"#ff8000", "ff800", "ff8000 ", "gg0000", ""}) EXPECT_FALSE(ParseColourText(bad)) << bad;
  EXPECT_EQ(FormatColourText(MakeColour(255, 128, 1)), "ff8001");
}

}  // namespace
}  // namespace quorel
