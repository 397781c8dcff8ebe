// Quorel — SPDX-License-Identifier: MIT
#include "output/PreviewPage.h"

#include <gtest/gtest.h>

#include <tuple>

#include "output/ColourText.h"
#include "settings/OptionBits.h"

namespace quorel {
namespace {

TEST(PreviewPageTest, BlackPageOnlyForALightSignatureThatTakesPart) {
  const std::tuple<int32_t, Colour, bool> cases[] = {  // option bits, signature colour, black page
      {option_bit::kSignature, MakeColour(128, 0, 0), false},  // sum 128
      {option_bit::kSignature, MakeColour(129, 0, 0), true},
      {option_bit::kSeal, MakeColour(255, 255, 255), false},   // signature not taking part
  };
  for (const auto& [bits, signature, black] : cases) {
    EXPECT_EQ(*MakePreviewPage("<div>x</div>", bits, signature),
              black ? "<html><body bgcolor=#000000><div>x</div></body></html>" : "<div>x</div>");
  }
}

TEST(ColourTextTest, ExactlySixHexDigits) {
  EXPECT_EQ(ParseColourText("ff8000"), Colour{33023});
  EXPECT_EQ(ParseColourText("0000Ff"), MakeColour(0, 0, 255));
  for (const char* bad : {"#ff8000", "ff800", "ff8000 ", "gg0000", ""}) EXPECT_FALSE(ParseColourText(bad)) << bad;
  EXPECT_EQ(FormatColourText(MakeColour(255, 128, 1)), "ff8001");
}

}  // namespace
}  // namespace quorel
