// Quorel — SPDX-License-Identifier: MIT
#include "image/CopyIntoRect.h"

#include <gtest/gtest.h>

#include "support/TestPictures.h"

namespace quorel {
namespace {

using test::Grey;
using test::PixelAt;

// Each source pixel carries its own position, so misplaced copies show.
PackedDib Numbered(int width, int height) {
  return test::MakePicture24(width, height, [](int x, int y) {
    return Bgr{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 255};
  });
}

// Where each destination pixel came from: (x, y) of the source, or none.
struct Placement {
  int x0, y0, width, height;  // destination area that must hold the source's top-left part
};

void ExpectPlaced(const PackedDib& dest, const Placement& p) {
  for (int y = 0; y < dest.Height(); ++y) {
    for (int x = 0; x < dest.Width(); ++x) {
      const bool inside = x >= p.x0 && x < p.x0 + p.width && y >= p.y0 && y < p.y0 + p.height;
      const Bgr expected = inside ? Bgr{static_cast<uint8_t>(x - p.x0), static_cast<uint8_t>(y - p.y0), 255}
                                  : Grey(7);
      ASSERT_EQ(PixelAt(dest, x, y), expected) << "at " << x << "," << y;
    }
  }
}

TEST(CopyIntoRectTest, PlacesCentresAndClips) {
  struct Case {
    const char* what;
    int dest_w, dest_h, src_w, src_h;
    PixelRect rect;
    Placement expected;
  };
  const Case cases[] = {
      {"smaller source centred", 10, 10, 4, 2, {0, 0, 10, 10}, {3, 4, 4, 2}},
      {"odd leftover rounds down", 10, 9, 3, 2, {0, 0, 10, 9}, {3, 3, 3, 2}},
      {"larger source loses right and bottom", 4, 4, 6, 6, {0, 0, 4, 4}, {0, 0, 4, 4}},
      {"rectangle past the destination edge", 10, 10, 12, 12, {8, 8, 20, 20}, {8, 8, 2, 2}},
      {"exact fit", 5, 3, 5, 3, {0, 0, 5, 3}, {0, 0, 5, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto dest = test::MakeUniform24(c.dest_w, c.dest_h, Grey(7));
    CopyIntoRect(dest, c.rect, Numbered(c.src_w, c.src_h));
    ExpectPlaced(dest, c.expected);
  }
}

TEST(CopyIntoRectTest, LeavesTheDestinationAloneWhenThereIsNothingToDo) {
  const auto source = Numbered(4, 4);
  const auto eight_bit = test::MakeIndexed(8, 4, 4, {Grey(0)}, [](int, int) { return 0; });
  const PixelRect rects[] = {{0, 0, 0, 4}, {2, 2, 1, 4}, {-1, 0, 4, 4}, {10, 10, 14, 14}};
  for (const PixelRect& r : rects) {
    auto dest = test::MakeUniform24(8, 8, Grey(7));
    CopyIntoRect(dest, r, source);
    ExpectPlaced(dest, {0, 0, 0, 0});
  }
  auto dest = test::MakeUniform24(8, 8, Grey(7));
  CopyIntoRect(dest, {0, 0, 8, 8}, eight_bit);
  ExpectPlaced(dest, {0, 0, 0, 0});
}

}  // namespace
}  // namespace quorel
