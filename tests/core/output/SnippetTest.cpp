// Quorel — SPDX-License-Identifier: MIT
#include "output/Snippet.h"

#include <gtest/gtest.h>

#include "output/OutputState.h"
#include "support/DataUrl.h"
#include "support/GiflibDecode.h"
#include "support/TempDir.h"
#include "support/TestData.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

using test::GiflibImage;

// A dark diagonal stroke on white, so the two-level picture has both levels.
void Put(ImagePanel& panel, int32_t width, int32_t height, ScaleSettings scale = {}) {
  panel.picture = test::MakePicture24(width, height, [](int x, int y) {
    return test::Grey(std::abs(x - y) < 3 ? 20 : 250);
  });
  panel.picture_width = width;
  panel.picture_height = height;
  panel.scale = scale;
}

GiflibImage Decode(const std::vector<uint8_t>& gif) {
  std::string error;
  const auto image = test::DecodeWithGiflib(gif, &error);
  EXPECT_TRUE(image) << error;
  return image.value_or(GiflibImage{});
}

class SnippetTest : public ::testing::Test {
 protected:
  SnippetTest() {
    Put(state_.Panel(PanelIndex::kSignature), 300, 120, {kScaleFitHeight, 48, 48, 100});
    Put(state_.Panel(PanelIndex::kSeal), 64, 64);
  }
  Result<std::string> Build(int32_t bits) {
    state_.option_bits = bits;
    return BuildSnippet(state_, dir_.path());
  }

  test::TempDir dir_;
  OutputState state_;
};

TEST_F(SnippetTest, BothPicturesInOrderEachReducedToItsInk) {
  const auto text = Build(option_bit::kSignature | option_bit::kSeal | option_bit::kAlignCentre);
  ASSERT_TRUE(text);
  const auto tags = test::Base64OfTags(*text);
  ASSERT_EQ(tags.size(), 2u);
  EXPECT_EQ(*text, "<div align=center style=\"width:100%\"><img src=\"data:image/gif;base64," + tags[0] +
                       "\"><img src=\"data:image/gif;base64," + tags[1] + "\"></div>");
  const auto gifs = test::GifsOfSnippet(*text);
  const GiflibImage signature = Decode(gifs[0]);
  EXPECT_EQ(signature.width, 120);  // fit height 48
  EXPECT_EQ(signature.height, 48);
  EXPECT_EQ(signature.transparent_index, 1);
  EXPECT_EQ(signature.colours[0], (test::GifRgb{0, 0, 0}));        // ink black
  EXPECT_EQ(signature.colours[1], (test::GifRgb{255, 255, 255}));  // on white
  const GiflibImage seal = Decode(gifs[1]);
  EXPECT_EQ(seal.colours[0], (test::GifRgb{255, 0, 0}));  // ink red
  EXPECT_EQ(seal.colours[1], (test::GifRgb{0, 0, 0}));    // on black
  EXPECT_EQ(seal.frames.at(0).At(10, 10), 0);  // the stroke is ink, the rest background
  EXPECT_EQ(seal.frames.at(0).At(40, 10), 1);
}

TEST_F(SnippetTest, AlignmentAndChoiceOfPictures) {
  struct Case { int32_t bits; std::string_view open; std::vector<int> widths; };
  const Case cases[] = {
      {option_bit::kSignature | option_bit::kAlignRight | option_bit::kAlignCentre, "right", {120}},
      {option_bit::kSeal | option_bit::kAlignCentre, "center", {64}},
      {kDefaultOptionBits, "right", {120, 64}},
      {0, "left", {}},
  };
  for (const Case& c : cases) {
    const auto text = Build(c.bits);
    ASSERT_TRUE(text) << c.bits;
    EXPECT_TRUE(text->starts_with("<div align=" + std::string(c.open) + " style=\"width:100%\">")) << c.bits;
    EXPECT_TRUE(text->ends_with("</div>"));
    std::vector<int> widths;
    for (const auto& gif : test::GifsOfSnippet(*text)) widths.push_back(Decode(gif).width);
    EXPECT_EQ(widths, c.widths) << c.bits;
  }
}

TEST_F(SnippetTest, MissingOrFailingPictureGivesItsPanelsStatus) {
  const int32_t both = option_bit::kSignature | option_bit::kSeal;
  ImagePanel& signature = state_.Panel(PanelIndex::kSignature);
  ImagePanel& seal = state_.Panel(PanelIndex::kSeal);
  signature.picture.reset();
  EXPECT_EQ(Build(both).status(), Status::kSignatureFailed);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "$image.gif"));  // the seal is not tried
  Put(signature, 300, 120, {kScaleFitHeight, 48, 48, 100});
  seal.picture.reset();
  EXPECT_EQ(Build(both).status(), Status::kSealFailed);
  EXPECT_EQ(Decode(test::ReadFileBytes(dir_ / "$image.gif")).width, 120);  // made, then discarded
  // An 8-bit picture cannot be resampled, but is reduced as it is.
  seal.picture = test::MakeIndexed(8, 64, 64, {test::Grey(0)}, [](int, int) { return 0; });
  seal.scale = {kScaleRatio, 48, 48, 50};
  EXPECT_EQ(Build(option_bit::kSeal).status(), Status::kSealFailed);
  seal.scale.mode = kScaleNone;
  EXPECT_TRUE(Build(option_bit::kSeal));
}

}  // namespace
}  // namespace quorel
