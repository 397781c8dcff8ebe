// Quorel — SPDX-License-Identifier: MIT
#include "image/TwoLevel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "image/Coverage.h"
#include "image/cleanup/TrimMargins.h"

#include "support/TestPictures.h"

namespace quorel {
namespace {

constexpr Colour kBlack = MakeColour(0, 0, 0);
constexpr Colour kWhite = MakeColour(255, 255, 255);

// The bits of a 1-bit picture's top row: true where the pixel is background.
std::vector<bool> TopRowBits(const PackedDib& dib) {
  const ConstDibRows rows = ConstDibRows::Of(dib).value();
  std::vector<bool> bits;
  for (int32_t x = 0; x < rows.width(); ++x) bits.push_back((rows.TopDownRow(0)[x / 8] >> (7 - x % 8)) & 1);
  return bits;
}

Bgr OfSum(int sum) {  // a pixel whose blue + green + red is `sum`
  const int base = sum / 3;
  return {static_cast<uint8_t>(base + (sum % 3 > 0)), static_cast<uint8_t>(base + (sum % 3 > 1)),
          static_cast<uint8_t>(base)};
}

TEST(TwoLevelTest, BackgroundDependsOnTheInksBrightness) {
  // Red + green + blue up to 128 is dark, on white; above, on black.
  for (const auto& [ink, background] :
       {std::pair{MakeColour(128, 0, 0), kWhite}, {MakeColour(43, 43, 42), kWhite},
        {MakeColour(129, 0, 0), kBlack}, {MakeColour(0, 0, 129), kBlack}}) {
    EXPECT_EQ(ChooseBackground(ink), background) << ink;
  }
}

// One ink rule for every stage: the sums lie ten columns apart on the brightest of them; the
// reduction's ink is exactly where the coverage reaches 128, and the trim box holds that ink.
TEST(TwoLevelTest, EveryStageFindsInkHalfwayBetweenTheExtremes) {
  struct Case { std::vector<int> sums; std::vector<bool> background; };
  const Case cases[] = {
      {{0, 765, 382, 383}, {false, true, false, true}},      // threshold 382
      {{10, 13, 11, 12}, {false, true, false, true}},        // odd span truncates to 11
      {{700, 765, 732, 733}, {false, true, false, true}},    // a pale pen still separates
      {{500, 500, 500, 500}, {false, false, false, false}},  // uniform: all ink
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sums[0]);
    const int paper = *std::ranges::max_element(c.sums);
    const auto in = test::MakePicture24(31, 1, [&](int x, int) { return OfSum(x % 10 ? paper : c.sums[x / 10]); });
    const std::vector<bool> bits = TopRowBits(ReduceToTwoLevels(in, kBlack, kWhite).value());
    const PackedDib coverage = MeasureCoverage(in).value();
    const auto alpha = ConstDibRows::Of(coverage).value().TopDownRow(0);
    PixelRect ink{31, 1, 0, 0};
    for (int x = 0; x < 31; ++x) {
      if (x % 10 == 0) { EXPECT_EQ(bits[x], c.background[x / 10]) << x; }
      EXPECT_EQ(alpha[x] >= 128, !bits[x]) << x;
      if (!bits[x]) ink = {std::min(ink.left, x), 0, std::max(ink.right, x + 1), 1};
    }
    const PixelRect kept = FindInkRect(in).value(), expected = WithMargin(ink, 31, 1);
    EXPECT_EQ(std::pair(kept.left, kept.right), std::pair(expected.left, expected.right));
  }
}

TEST(TwoLevelTest, PaletteEntriesDecideByTheTopBitOfBlue) {
  // Blue 127 ink, 128 and 255 background whatever red and green say; index 9
  // lies beyond the table and reads as black: ink.
  const std::vector<Bgr> table = {{127, 255, 255}, {128, 0, 0}, {255, 0, 0}, {0, 255, 255}};
  const std::vector<uint8_t> indexes = {0, 1, 2, 3, 9, 1};
  for (int depth : {8, 4}) {
    const auto in = test::MakeIndexed(depth, 6, 1, table, [&](int x, int) { return indexes[x]; }, 4);
    EXPECT_EQ(TopRowBits(ReduceToTwoLevels(in, kBlack, kWhite).value()),
              (std::vector<bool>{false, true, true, false, false, true})) << depth;
  }
}

TEST(TwoLevelTest, OneBitInputIsCopiedAndDamageRefused) {
  const auto one_bit = test::MakeIndexed(1, 3, 1, {{0x11, 0, 0}, {0x22, 0, 0}}, [](int x, int) { return x == 0; });
  const auto copy = ReduceToTwoLevels(one_bit, MakeColour(255, 0, 0), kBlack);
  ASSERT_TRUE(copy);
  EXPECT_TRUE(std::ranges::equal(copy->Bytes(), one_bit.Bytes()));
  const std::tuple<PackedDib, Status> damaged[] = {
      {test::WithField(test::MakeUniform24(4, 4, {}), DibField::kBitCount, 16), Status::kUnsupported},
      {test::WithField(test::MakeUniform24(4, 4, {}), DibField::kHeight, 5000),
       Status::kBadInput},  // rows beyond the block
      {test::WithField(test::MakeIndexed(8, 2, 1, {}, [](int, int) { return 0; }, 1), DibField::kClrUsed, 1u << 30),
       Status::kBadInput},  // colour table beyond the block
  };
  for (const auto& [picture, status] : damaged) EXPECT_EQ(ReduceToTwoLevels(picture, kBlack, kWhite).status(), status);
}

}  // namespace
}  // namespace quorel
