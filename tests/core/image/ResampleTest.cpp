// Quorel — SPDX-License-Identifier: MIT
#include "image/Resample.h"

#include <gtest/gtest.h>

#include "support/TestPictures.h"

namespace quorel {
namespace {

using test::Grey;
using test::MakePicture24;
using test::PixelAt;

// Columns alternate black and white: interpolating at a whole step lands on
// black pixels only, while averaging mixes both.
PackedDib Stripes(int width) {
  return MakePicture24(width, 4, [](int x, int) { return Grey(x % 2 ? 255 : 0); });
}

TEST(ResampleTest, TwiceAsWideInterpolatesMoreAverages) {
  const auto interpolated = Resample(Stripes(200), 100, 4);  // ratio exactly 2.0
  ASSERT_TRUE(interpolated);
  for (int x = 0; x < 100; ++x) EXPECT_EQ(PixelAt(*interpolated, x, 1).red, 0) << x;

  const auto averaged = Resample(Stripes(201), 100, 4);  // ratio 2.01
  ASSERT_TRUE(averaged);
  for (int x = 0; x < 100; ++x) {
    const int v = PixelAt(*averaged, x, 1).red;
    EXPECT_GT(v, 0) << x;
    EXPECT_LT(v, 255) << x;
  }
}

TEST(ResampleTest, HalfwayBetweenBlackAndWhiteIsRounded128BothWays) {
  struct Case {
    int source_width, source_height, target_width, target_height;
    uint8_t first, second;  // left/right, or bottom/top
    int x, y;               // the halfway target pixel, from the top
  };
  const Case cases[] = {
      {2, 1, 4, 1, 0, 255, 1, 0},   // black then white: 127.5 + 0.5
      {2, 1, 4, 1, 255, 0, 1, 0},   // white then black: 255 + trunc(-127.5 + 0.5)
      {1, 2, 1, 4, 0, 255, 0, 2},   // along a column, bottom row black
      {1, 2, 1, 4, 255, 0, 0, 2},
  };
  for (const Case& c : cases) {
    const auto source = MakePicture24(c.source_width, c.source_height, [&](int x, int y) {
      const bool second = c.source_width == 2 ? x == 1 : y == 0;  // y from the top
      return Grey(second ? c.second : c.first);
    });
    const auto result = Resample(source, c.target_width, c.target_height);
    ASSERT_TRUE(result);
    EXPECT_EQ(PixelAt(*result, c.x, c.y), Grey(128)) << int{c.first} << "→" << int{c.second};
  }
}

TEST(ResampleTest, InterpolatesAlongRowsThenBetweenRows) {
  // Stored rows: bottom (0, 100), top (200, 50). Target pixel (1, 1) of 4 × 4
  // counted in storage order is halfway in both directions.
  const auto source = MakePicture24(2, 2, [](int x, int y) {
    const uint8_t values[2][2] = {{200, 50}, {0, 100}};  // [row from the top][x]
    return Grey(values[y][x]);
  });
  const auto result = Resample(source, 4, 4);
  ASSERT_TRUE(result);
  // along the bottom row: 50; along the top: 200 + trunc(-75 + 0.5) = 126;
  // between them: 50 + trunc(38 + 0.5) = 88. Storage row 1 is row 2 from the top.
  EXPECT_EQ(PixelAt(*result, 1, 2), Grey(88));
  // The last source column and row are copied, not blended with anything.
  EXPECT_EQ(PixelAt(*result, 3, 0), Grey(50));
}

TEST(ResampleTest, SameSizeIsAnExactCopy) {
  const auto source = MakePicture24(37, 23, [](int x, int y) {
    return Bgr{static_cast<uint8_t>(x * 7), static_cast<uint8_t>(y * 11), static_cast<uint8_t>(x ^ y)};
  });
  const auto result = Resample(source, 37, 23);
  ASSERT_TRUE(result);
  for (int y = 0; y < 23; ++y) {
    for (int x = 0; x < 37; ++x) ASSERT_EQ(PixelAt(*result, x, y), PixelAt(source, x, y));
  }
}

TEST(ResampleTest, AveragesEachBoxTruncating) {
  const uint8_t values[] = {10, 20, 30, 40, 50, 61};
  const auto source = MakePicture24(6, 1, [&](int x, int) { return Grey(values[x]); });
  const auto result = Resample(source, 2, 1);
  ASSERT_TRUE(result);
  EXPECT_EQ(PixelAt(*result, 0, 0), Grey(20));
  EXPECT_EQ(PixelAt(*result, 1, 0), Grey(50));  // 151 / 3 truncated
}

TEST(ResampleTest, BoxWithoutSourceRowsTakesTheNearestRow) {
  // Three times narrower but four times higher: each target row's box would
  // hold no source row. It must not divide by zero or read outside the source.
  const auto source = MakePicture24(9, 1, [](int x, int) { return Grey(static_cast<uint8_t>(x * 10)); });
  const auto result = Resample(source, 3, 4);
  ASSERT_TRUE(result);
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(PixelAt(*result, 0, y), Grey(10));
    EXPECT_EQ(PixelAt(*result, 2, y), Grey(70));
  }
}

TEST(ResampleTest, ResultIsCleanEvenWhenTheSourceCarriesAColourTable) {
  // A 24-bit picture with two colour-table entries in front of its rows.
  auto source = test::MakeIndexed(24, 4, 2, {Grey(1), Grey(2)}, [](int, int) { return 0; }, 2);
  const auto g = CheckGeometry(source, RowStart::kAfterPalette);
  ASSERT_TRUE(g);
  DibRows(source.Bytes(), *g).TopDownRow(0)[0] = 200;  // blue of the top-left pixel
  const auto result = Resample(source, 4, 2);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->ClrUsed(), 0u);
  EXPECT_EQ(PixelAt(*result, 0, 0), (Bgr{200, 0, 0}));
}

TEST(ResampleTest, Refusals) {
  const auto picture = test::MakeUniform24(8, 8, Grey(9));
  EXPECT_FALSE(Resample(picture, 0, 4));
  EXPECT_FALSE(Resample(picture, 4, -1));
  const auto eight_bit = test::MakeIndexed(8, 8, 8, {Grey(0)}, [](int, int) { return 0; });
  EXPECT_FALSE(Resample(eight_bit, 4, 4));
  // A header that claims more rows than the block holds.
  auto damaged = test::MakeUniform24(8, 8, Grey(9));
  damaged.SetField32(DibField::kHeight, 1000);
  EXPECT_FALSE(Resample(damaged, 4, 4));
}

}  // namespace
}  // namespace quorel
