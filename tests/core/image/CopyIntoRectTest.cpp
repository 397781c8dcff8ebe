// Quorel — SPDX-License-Identifier: MIT
#include "image/CopyIntoRect.h"

#include <gtest/gtest.h>

#include "support/TestPictures.h"

namespace quorel {
namespace {

// Each source pixel carries its own position, so misplaced copies show.
Bgr Numbered(int x, int y) { return {static_cast<uint8_t>(x), static_cast<uint8_t>(y), 255}; }

TEST(CopyIntoRectTest, PlacesCentresClipsOrLeavesAlone) {
  struct Case {
    int dest_w, dest_h, src_w, src_h;
    PixelRect rect;
    int x0, y0, width, height;  // where the source's top-left part must land
  };
  const Case cases[] = {
      {10, 10, 4, 2, {0, 0, 10, 10}, 3, 4, 4, 2},    // smaller source centred
      {10, 9, 3, 2, {0, 0, 10, 9}, 3, 3, 3, 2},      // odd leftover rounds down
      {4, 4, 6, 6, {0, 0, 4, 4}, 0, 0, 4, 4},        // larger source loses right and bottom
      {10, 10, 12, 12, {8, 8, 20, 20}, 8, 8, 2, 2},  // rectangle past the destination edge
      {8, 8, 4, 4, {2, 2, 1, 4}, 0, 0, 0, 0},        // empty rectangle
      {8, 8, 4, 4, {-1, 0, 4, 4}, 0, 0, 0, 0},       // rectangle outside
  };
  for (const Case& c : cases) {
    auto dest = test::MakeUniform24(c.dest_w, c.dest_h, test::Grey(7));
    CopyIntoRect(dest, c.rect, test::MakePicture24(c.src_w, c.src_h, Numbered));
    for (int y = 0; y < c.dest_h; ++y) {
      for (int x = 0; x < c.dest_w; ++x) {
        const bool inside = x >= c.x0 && x < c.x0 + c.width && y >= c.y0 && y < c.y0 + c.height;
        ASSERT_EQ(test::PixelAt(dest, x, y), inside ? Numbered(x - c.x0, y - c.y0) : test::Grey(7))
            << c.src_w << "x" << c.src_h << " at " << x << "," << y;
      }
    }
  }
}

}  // namespace
}  // namespace quorel
