// Quorel — SPDX-License-Identifier: MIT
#include "codec/png/PngWriter.h"

#include <gtest/gtest.h>

#include "support/TagPixels.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

// Decoded by libpng: every pixel, alpha 0 included, has the ink's colour (no matte), alpha the
// coverage in 16 steps (odd width: half a byte).
TEST(PngWriterTest, CarriesInkAndCoverage) {
  auto level = [](int x, int y) { return (x * 7 + y * 50) % 256; };
  const PackedDib coverage = test::MakeIndexed(8, 37, 5, {}, level);
  const Colour ink = MakeColour(200, 30, 90);
  const test::RgbaPicture decoded = test::DecodePng(EncodeCoveragePng(coverage, ink).value());
  ASSERT_EQ(decoded.width * decoded.height, 37 * 5);
  for (int i = 0; i < 37 * 5; ++i) {
    const uint8_t* p = decoded.At(i % 37, i / 37);
    ASSERT_EQ(MakeColour(p[0], p[1], p[2]), ink) << i;
    ASSERT_NEAR(p[3], level(i % 37, i / 37), 8) << i;
  }
}

}  // namespace
}  // namespace quorel
