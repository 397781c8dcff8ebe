// Quorel — SPDX-License-Identifier: MIT
#include "codec/png/PngWriter.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/TagPixels.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

// Decoded by libpng: every pixel, alpha 0 included, has the ink's colour (no matte), alpha the
// coverage in 16 steps, whichever steps a picture uses (its palette holds only those: 1, 2 or 4
// bits a pixel, no tRNS when all are opaque) and whichever filter is kept (odd width: part of a byte).
TEST(PngWriterTest, CarriesInkAndCoverage) {
  const std::function<int(int, int)> levels[] = {
      [](int x, int y) { return (x * 7 + y * 50) % 256; },  // every step
      [](int x, int y) { return (x + y) % 3 != 0 ? 255 : 0; },  // two steps
      [](int x, int) { return x % 4 * 85; },  // four steps
      [](int, int) { return 255; },  // opaque only
      [](int x, int) { return x % 5 == 0 ? 255 : 40; },  // strokes down the picture: filtered
  };
  const Colour ink = MakeColour(200, 30, 90);
  for (const auto& level : levels) {
    const PackedDib coverage = test::MakeIndexed(8, 37, 5, {}, level);
    const test::RgbaPicture decoded = test::DecodePng(EncodeCoveragePng(coverage, ink).value());
    ASSERT_EQ(decoded.width * decoded.height, 37 * 5);
    for (int i = 0; i < 37 * 5; ++i) {
      const uint8_t* p = decoded.At(i % 37, i / 37);
      ASSERT_EQ(MakeColour(p[0], p[1], p[2]), ink) << i;
      ASSERT_NEAR(p[3], level(i % 37, i / 37), 8) << i;
    }
  }
}

}  // namespace
}  // namespace quorel
