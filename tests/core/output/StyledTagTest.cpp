// Quorel — SPDX-License-Identifier: MIT
#include "output/StyledTag.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "codec/ImportPicture.h"
#include "image/ConvertTo24.h"
#include "image/TwoLevel.h"
#include "output/Snippet.h"
#include "support/TagPixels.h"
#include "support/TempDir.h"
#include "support/TestData.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

constexpr Colour kInk = MakeColour(20, 40, 160);
constexpr OutputStyle kGif1{OutputFormat::kGif, OutputDensity::kSingle};
constexpr OutputStyle kPng1{OutputFormat::kPng, OutputDensity::kSingle};

PackedDib Sample(const char* name) {
  return ConvertTo24(ReadPictureFile(test::SourceDir() / "resources" / "samples" / name).value()).value();
}

// A phone photo of a signature: grainy grey paper, a dark wavy stroke.
PackedDib CameraSignature() {
  return test::MakePicture24(600, 240, [](int x, int y) {
    if (std::abs(y - 120 - 60 * std::sin(x / 40.0)) < 7) return Bgr{50, 35, 30};
    return test::Grey(static_cast<uint8_t>(228 + (x * 7919 + y * 104729) % 23));
  });
}

class StyledTagTest : public ::testing::Test {
 protected:
  test::RgbaPicture Tag(const PackedDib& picture, OutputSizeResult output, OutputStyle style) {
    return test::DecodeTag(MakeStyledTag(picture, output, kInk, style, dir_.path()).value());
  }
  test::TempDir dir_;
};

// The PNG of each picture against its GIF: alpha ≥ 128 agrees with the GIF's
// ink on 95 % of their union, colour is the ink wherever alpha > 0, alpha
// stays near the ink (within 2 pixels of GIF ink), and a signature shrunk by
// more than half (the scaler averages) has at least 8 levels along its edges.
TEST_F(StyledTagTest, PngCoverageAgreesWithTheGif) {
  const PackedDib signature = Sample("signature.bmp");
  const PackedDib camera = CameraSignature();
  struct Case {
    const PackedDib* picture;
    OutputSizeResult output;
    size_t edge_levels = 0;
  };
  const PackedDib seal = Sample("seal.bmp");
  for (const Case& c : {Case{&signature, {300, 120, false}}, Case{&seal, {64, 64, false}},
                        Case{&signature, {120, 48, true}, 8}, Case{&signature, {200, 80, true}},
                        Case{&camera, {120, 48, true}, 8}, Case{&camera, {250, 100, true}, 8}}) {
    SCOPED_TRACE(std::to_string(c.output.width) + "x" + std::to_string(c.output.height));
    const test::RgbaPicture gif = Tag(*c.picture, c.output, kGif1);
    const test::RgbaPicture png = Tag(*c.picture, c.output, kPng1);
    ASSERT_EQ(png.width, c.output.width);
    ASSERT_EQ(png.height, gif.height);
    auto gif_ink_near = [&](int x, int y) {
      for (int v = std::max(y - 2, 0); v <= std::min(y + 2, gif.height - 1); ++v) {
        for (int u = std::max(x - 2, 0); u <= std::min(x + 2, gif.width - 1); ++u) {
          if (gif.At(u, v)[3] != 0) return true;
        }
      }
      return false;
    };
    int either = 0, both = 0, off_colour = 0, stray = 0;
    std::set<int> edge_levels;
    for (int y = 0; y < png.height; ++y) {
      for (int x = 0; x < png.width; ++x) {
        const uint8_t* p = png.At(x, y);
        const bool gif_ink = gif.At(x, y)[3] != 0;
        either += gif_ink || p[3] >= 128;
        both += gif_ink && p[3] >= 128;
        if (p[3] == 0) continue;
        off_colour += MakeColour(p[0], p[1], p[2]) != kInk;
        stray += !gif_ink_near(x, y);
        if (p[3] < 255) edge_levels.insert(p[3]);
      }
    }
    EXPECT_GE(both, 0.95 * either);
    EXPECT_EQ(off_colour, 0);
    EXPECT_EQ(stray, 0);
    EXPECT_GE(edge_levels.size(), c.edge_levels);
  }
}

TEST(MadeSizeTest, TwiceTheOutputSizeWithinTheSource) {
  struct Case {
    OutputSizeResult output;
    OutputDensity density;
    PictureSize made;  // from a 300 × 120 source
  };
  for (const Case& c : {Case{{120, 48, true}, OutputDensity::kSingle, {120, 48}},
                        Case{{120, 48, true}, OutputDensity::kDouble, {240, 96}},
                        Case{{250, 100, true}, OutputDensity::kDouble, {300, 120}},
                        Case{{900, 360, true}, OutputDensity::kDouble, {900, 360}}}) {
    EXPECT_EQ(MadeSize(c.output, 300, 120, c.density), c.made) << c.output.width;
  }
}

// At 2× the tag lays the picture out at its 1× size; a picture that cannot
// be made larger, or one without a scale setting, is exactly the 1× tag.
TEST_F(StyledTagTest, DoubleDensityKeepsTheLayoutSize) {
  const PackedDib signature = Sample("signature.bmp");
  const std::string tag = MakeStyledTag(signature, {120, 48, true}, kInk, {OutputFormat::kPng, OutputDensity::kDouble},
                                        dir_.path()).value();
  EXPECT_TRUE(tag.starts_with("<img width=120 height=48 src=\"data:image/png;base64,")) << tag.substr(0, 60);
  EXPECT_EQ(test::DecodeTag(tag).width, 240);
  const OutputStyle gif2{OutputFormat::kGif, OutputDensity::kDouble};
  for (const OutputSizeResult output : {OutputSizeResult{900, 360, true}, OutputSizeResult{300, 120, false}}) {
    EXPECT_EQ(MakeStyledTag(signature, output, kInk, gif2, dir_.path()).value(),
              MakeStyledTag(signature, output, kInk, kGif1, dir_.path()).value());
  }
  EXPECT_EQ(MakeStyledTag(signature, {300, 120, false}, kInk, gif2, dir_.path()).value(),
            MakeImageTag(signature, kInk, ChooseBackground(kInk), dir_.path()).value());
}

}  // namespace
}  // namespace quorel
