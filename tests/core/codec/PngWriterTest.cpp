// Quorel — SPDX-License-Identifier: MIT
#include "codec/png/PngWriter.h"

#include <gtest/gtest.h>

#include "image/DibLayout.h"
#include "support/TagPixels.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

// Each layout decoded by libpng: every pixel, alpha 0 included, has the ink's
// colour (no matte), and its alpha is the coverage (to the nearest of 16 steps
// for the stepped palette).
TEST(PngWriterTest, EveryLayoutCarriesInkAndCoverage) {
  // An odd width leaves the last byte of a 4-bit row half filled.
  const PackedDib coverage = test::MakeIndexed(8, 37, 5, {}, [](int x, int y) { return (x * 7 + y * 50) % 256; });
  struct Case {
    PngLayout layout;
    Colour ink;
    int tolerance;
  };
  for (const Case& c : {Case{PngLayout::kIndexedSteps, MakeColour(200, 30, 90), 8},
                        Case{PngLayout::kIndexedFull, MakeColour(1, 2, 3), 0},
                        Case{PngLayout::kGreyAlpha, MakeColour(60, 60, 60), 0},
                        Case{PngLayout::kRgba, MakeColour(255, 128, 0), 0}}) {
    SCOPED_TRACE(static_cast<int>(c.layout));
    const auto png = EncodeCoveragePng(coverage, c.ink, c.layout);
    ASSERT_TRUE(png.ok());
    const test::RgbaPicture decoded = test::DecodePng(*png);
    ASSERT_EQ(decoded.width, 37);
    ASSERT_EQ(decoded.height, 5);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 37; ++x) {
        const uint8_t* p = decoded.At(x, y);
        ASSERT_EQ(MakeColour(p[0], p[1], p[2]), c.ink) << x << "," << y;
        ASSERT_NEAR(p[3], (x * 7 + y * 50) % 256, c.tolerance) << x << "," << y;
      }
    }
  }
  EXPECT_EQ(EncodeCoveragePng(coverage, MakeColour(1, 2, 3), PngLayout::kGreyAlpha).status(), Status::kUnsupported);
  EXPECT_EQ(EncodeCoveragePng(test::MakeUniform24(2, 2, {}), 0).status(), Status::kUnsupported);
}

}  // namespace
}  // namespace quorel
