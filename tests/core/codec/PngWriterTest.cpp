// Quorel — SPDX-License-Identifier: MIT
#include "codec/png/PngWriter.h"

#include <gtest/gtest.h>

#include "support/TagPixels.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

// Each layout decoded by libpng: every pixel, alpha 0 included, has the ink's colour (no
// matte), alpha the coverage (of 16 steps for the stepped palette; odd width: half a byte).
TEST(PngWriterTest, EveryLayoutCarriesInkAndCoverage) {
  auto level = [](int x, int y) { return (x * 7 + y * 50) % 256; };
  const PackedDib coverage = test::MakeIndexed(8, 37, 5, {}, level);
  using enum PngLayout;
  for (const auto& [layout, ink, tolerance] : {std::tuple{kIndexedSteps, MakeColour(200, 30, 90), 8},
                                               {kIndexedFull, MakeColour(1, 2, 3), 0},
                                               {kGreyAlpha, MakeColour(60, 60, 60), 0},
                                               {kRgba, MakeColour(255, 128, 0), 0}}) {
    const test::RgbaPicture decoded = test::DecodePng(EncodeCoveragePng(coverage, ink, layout).value());
    ASSERT_EQ(decoded.width * decoded.height, 37 * 5) << static_cast<int>(layout);
    for (int i = 0; i < 37 * 5; ++i) {
      const uint8_t* p = decoded.At(i % 37, i / 37);
      ASSERT_EQ(MakeColour(p[0], p[1], p[2]), ink) << i;
      ASSERT_NEAR(p[3], level(i % 37, i / 37), tolerance) << static_cast<int>(layout) << " " << i;
    }
  }
  EXPECT_EQ(EncodeCoveragePng(coverage, MakeColour(1, 2, 3), kGreyAlpha).status(), Status::kUnsupported);
}

}  // namespace
}  // namespace quorel
