// Quorel — SPDX-License-Identifier: MIT
#include "image/Coverage.h"

#include <gtest/gtest.h>

#include "image/TwoLevel.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

// Every grey from ink to paper: coverage falls evenly, is full or nil within
// an eighth of either level, and is at least half exactly where the two-level
// reduction puts ink.
TEST(CoverageTest, RampFollowsTheTwoLevelReduction) {
  const PackedDib ramp = test::MakePicture24(256, 1, [](int x, int) { return test::Grey(x); });
  const PackedDib coverage = MeasureCoverage(ramp).value();
  const PackedDib two_level = ReduceToTwoLevels(ramp, 0, 0xFFFFFF).value();
  const auto alpha = ConstDibRows::Of(coverage)->TopDownRow(0);
  const auto bits = ConstDibRows::Of(two_level)->TopDownRow(0);
  for (int x = 0; x < 256; ++x) {
    const bool ink = (bits[x / 8] & (0x80 >> (x % 8))) == 0;
    EXPECT_EQ(alpha[x] >= 128, ink) << x;
    EXPECT_LE(alpha[x], alpha[x > 0 ? x - 1 : 0]) << x;
    EXPECT_TRUE(x >= 31 || alpha[x] == 255) << x;
    EXPECT_TRUE(x <= 224 || alpha[x] == 0) << x;
  }
  // One brightness: all ink, as the reduction makes it; an 8-bit picture is converted first.
  const PackedDib flat = test::MakeIndexed(8, 3, 2, {test::Grey(200)}, [](int, int) { return 0; });
  const PackedDib flat_coverage = MeasureCoverage(flat).value();
  EXPECT_EQ(ConstDibRows::Of(flat_coverage)->TopDownRow(1)[2], 255);
}

}  // namespace
}  // namespace quorel
