// Quorel — SPDX-License-Identifier: MIT
#include "image/Resample.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/TestPictures.h"

namespace quorel {
namespace {

using test::Grey;
using test::PixelAt;

// Grey levels that vary along both axes without a pattern a box could hide.
uint8_t Level(int x, int y) { return static_cast<uint8_t>((x * 37 + y * 91 + x * y * 13) % 251); }

// The scale rules worked out pixel by pixel, on stored (bottom-up) indexes:
// interpolation when the source is at most twice as wide, else the average of
// the box [trunc(k·d + 0.5), trunc((k + 1)·d + 0.5)), truncated.
int Model(int sw, int sh, int dw, int dh, int k, int i) {
  const double dx = static_cast<double>(sw) / dw, dy = static_cast<double>(sh) / dh;
  auto src = [&](int x, int stored_y) { return int{Level(x, sh - 1 - stored_y)}; };
  if (dx <= 2.0) {
    auto step = [](int a, int b, double t) { return a + static_cast<int>(t * (b - a) + 0.5); };
    const int l = std::min(static_cast<int>(k * dx), sw - 1), j = std::min(static_cast<int>(i * dy), sh - 1);
    const double gx = k * dx - l, gy = i * dy - j;
    const int x2 = std::min(l + 1, sw - 1), y2 = std::min(j + 1, sh - 1);
    if (x2 == l && y2 == j) return src(l, j);
    if (y2 == j) return step(src(l, j), src(x2, j), gx);
    if (x2 == l) return step(src(l, j), src(l, y2), gy);
    return step(step(src(l, j), src(x2, j), gx), step(src(l, y2), src(x2, y2), gx), gy);
  }
  auto box = [](int t, double d, int size, int& first, int& last) {
    first = static_cast<int>(t * d + 0.5);
    last = std::min(static_cast<int>((t + 1) * d + 0.5), size);
    if (first >= last) first = std::min(first, size - 1), last = first + 1;
  };
  int x0, x1, y0, y1;
  box(k, dx, sw, x0, x1);
  box(i, dy, sh, y0, y1);
  int sum = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) sum += src(x, y);
  }
  return sum / ((x1 - x0) * (y1 - y0));
}

TEST(ResampleTest, EveryPixelFollowsTheScaleRulesAtUnevenRatios) {
  struct Case { int sw, sh, dw, dh; };
  const Case cases[] = {
      {30, 17, 19, 11},   // interpolated, both axes shrink by uneven ratios
      {7, 5, 16, 13},     // interpolated, enlarged
      {50, 23, 17, 9},    // averaged, both axes (2.94, 2.56)
      {41, 31, 9, 13},    // averaged across, interpolation-sized rows
      {9, 1, 3, 4},       // boxes without source rows take the nearest row
      {200, 4, 100, 4},   // exactly twice as wide: still interpolated
      {201, 4, 100, 4},   // just over: averaged
      {9, 1201, 3, 2},    // boxes of 600 and 601 rows: the sums outgrow 16 bits
  };
  for (const Case& c : cases) {
    const auto source = test::MakePicture24(c.sw, c.sh, [](int x, int y) { return Grey(Level(x, y)); });
    const auto result = Resample(source, c.dw, c.dh);
    ASSERT_TRUE(result);
    for (int i = 0; i < c.dh; ++i) {
      for (int k = 0; k < c.dw; ++k) {
        ASSERT_EQ(PixelAt(*result, k, c.dh - 1 - i), Grey(static_cast<uint8_t>(Model(c.sw, c.sh, c.dw, c.dh, k, i))))
            << c.sw << "x" << c.sh << "→" << c.dw << "x" << c.dh << " at stored " << k << "," << i;
      }
    }
  }
}

TEST(ResampleTest, HandWorkedValues) {
  // Halfway between black and white is 128 both ways round: 0 + trunc(127.5 + 0.5)
  // and 255 + trunc(-127.5 + 0.5).
  for (const uint8_t left : {0, 255}) {
    const auto source = test::MakePicture24(2, 1, [&](int x, int) { return Grey(x ? 255 - left : left); });
    EXPECT_EQ(PixelAt(*Resample(source, 4, 1), 1, 0), Grey(128));
  }
  // Boxes of three: (10 + 20 + 30) / 3 and (40 + 50 + 61) / 3 truncated.
  const uint8_t values[] = {10, 20, 30, 40, 50, 61};
  const auto row = test::MakePicture24(6, 1, [&](int x, int) { return Grey(values[x]); });
  EXPECT_EQ(PixelAt(*Resample(row, 2, 1), 0, 0), Grey(20));
  EXPECT_EQ(PixelAt(*Resample(row, 2, 1), 1, 0), Grey(50));
  // A 24-bit source behind a colour table gives a clean picture of its pixels.
  const auto tabled = test::MakeIndexed(24, 4, 2, {Grey(1), Grey(2)}, [](int x, int) { return 200 + x; }, 2);
  const auto clean = Resample(tabled, 4, 2);
  EXPECT_EQ(clean->ClrUsed(), 0u);
  EXPECT_EQ(PixelAt(*clean, 3, 0), (Bgr{203, 0, 0}));
}

TEST(ResampleTest, Refusals) {
  const auto picture = test::MakeUniform24(8, 8, Grey(9));
  EXPECT_EQ(Resample(picture, 0, 4).status(), Status::kBadInput);
  EXPECT_EQ(Resample(test::MakeIndexed(8, 8, 8, {}, [](int, int) { return 0; }), 4, 4).status(),
            Status::kUnsupported);
  auto damaged = test::MakeUniform24(8, 8, Grey(9));
  damaged.SetField32(DibField::kHeight, 1000);
  EXPECT_EQ(Resample(damaged, 4, 4).status(), Status::kBadInput);
}

}  // namespace
}  // namespace quorel
