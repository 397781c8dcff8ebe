// Quorel — SPDX-License-Identifier: MIT
#include "output/Snippet.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "output/OutputState.h"
#include "support/DataUrl.h"
#include "support/GiflibDecode.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

using test::GiflibImage;

// A dark diagonal stroke on white, so the two-level picture has both levels.
PackedDib Stroke(int32_t width, int32_t height) {
  return test::MakePicture24(width, height, [](int x, int y) { return test::Grey(std::abs(x - y) < 3 ? 20 : 250); });
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
    (void)state_.Panel(PanelIndex::kSignature).SetPicture(Stroke(300, 120));
    state_.Panel(PanelIndex::kSignature).SetScale({kScaleFitHeight, 48, 48, 100});
    (void)state_.Panel(PanelIndex::kSeal).SetPicture(Stroke(64, 64));
  }
  Result<Text> Build(int32_t bits) {
    state_.option_bits = bits;
    return BuildSnippet(state_.Request(), &failure_);
  }

  OutputState state_;
  MarkFailure failure_;
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
    EXPECT_TRUE(text->view().starts_with("<div align=" + std::string(c.open) + " style=\"width:100%\">")) << c.bits;
    EXPECT_TRUE(text->view().ends_with("</div>"));
    std::vector<int> widths;
    for (const auto& gif : test::GifsOfSnippet(*text)) widths.push_back(Decode(gif).width);
    EXPECT_EQ(widths, c.widths) << c.bits;
  }
}

TEST_F(SnippetTest, MissingOrFailingPictureGivesItsPanelsStatus) {
  const int32_t both = option_bit::kSignature | option_bit::kSeal;
  OutputState empty;
  empty.option_bits = both;
  EXPECT_EQ(BuildSnippet(empty.Request(), &failure_).status(), Status::kSignatureFailed);
  EXPECT_EQ(failure_.panel, PanelIndex::kSignature);  // the seal is not tried
  EXPECT_FALSE(failure_.unreadable);
  (void)empty.Panel(PanelIndex::kSignature).SetPicture(Stroke(300, 120));
  EXPECT_EQ(BuildSnippet(empty.Request()).status(), Status::kSealFailed);
  // An 8-bit picture kept as stored cannot be resampled, but is reduced as it is.
  const PackedDib indexed = test::MakeIndexed(8, 64, 64, {test::Grey(0)}, [](int, int) { return 0; });
  MarkRequest request;
  request.Panel(PanelIndex::kSignature).enabled = false;
  request.Panel(PanelIndex::kSeal) = {true, &indexed, 0, {kScaleRatio, 48, 48, 50}, CleanupLevel::kNone};
  EXPECT_EQ(BuildSnippet(request, &failure_).status(), Status::kSealFailed);
  EXPECT_EQ(failure_.cause, Status::kUnsupported);
  const uint8_t damaged[] = {'G', 'I', 'F'};  // a new seal that cannot be read: before the signature's failure
  request.Panel(PanelIndex::kSignature) = request.Panel(PanelIndex::kSeal);
  request.Panel(PanelIndex::kSeal).picture = PictureBytes{damaged, PictureKind::kGif};
  EXPECT_TRUE(BuildSnippet(request, &failure_).status() == Status::kSealFailed && failure_.unreadable);
  request.Panel(PanelIndex::kSignature).enabled = false;
  request.Panel(PanelIndex::kSeal).picture = &indexed;
  request.Panel(PanelIndex::kSeal).scale.mode = kScaleNone;
  EXPECT_TRUE(BuildSnippet(request));
  // A side that rounds to nothing is made 1 pixel wide rather than failing.
  (void)empty.Panel(PanelIndex::kSignature).SetPicture(Stroke(16, 4000));
  empty.Panel(PanelIndex::kSignature).SetScale({kScaleFitHeight, 16, 48, 100});
  empty.option_bits = option_bit::kSignature;
  EXPECT_EQ(Decode(test::GifsOfSnippet(BuildSnippet(empty.Request()).value()).at(0)).width, 1);
}

// The panel cleans as the output would, and the output takes its copy: a bare sheet gives a transparent
// picture, never one the two-level rule makes all ink; a seal inked red over black print keeps only the seal.
TEST_F(SnippetTest, PictureWithoutInkIsTransparent) {
  const auto sheet = [](int x, int y) {  // a red disc crossed by a black line
    return std::abs(x - 2 * y) < 4                             ? test::Grey(10)
           : (x - 60) * (x - 60) + (y - 60) * (y - 60) < 1600 ? Bgr{40, 40, 220} : test::Grey(235);
  };
  state_.option_bits = option_bit::kSeal;
  ImagePanel& seal = state_.Panel(PanelIndex::kSeal);
  for (const auto& [blank, ink] : {std::pair{true, Colour{0}}, {false, kDefaultSealColour}, {false, Colour{0}}}) {
    state_.inks[1] = ink;
    (void)seal.SetInk(ink);
    (void)seal.SetPicture(blank ? test::MakeUniform24(300, 200, test::Grey(230)) : test::MakePicture24(120, 120, sheet));
    (void)seal.SetCleanup(CleanupLevel::kPhoto);
    MarkRequest by_mark = state_.Request();  // the mark cleaning the picture itself
    by_mark.Panel(PanelIndex::kSeal) = {true, seal.picture(), ink, {}, CleanupLevel::kPhoto};
    const std::string snippet(BuildSnippet(state_.Request()).value().view());
    EXPECT_EQ(snippet, BuildSnippet(by_mark).value()) << ink;
    const std::vector<uint8_t> indexes = Decode(test::GifsOfSnippet(snippet).at(0)).frames.at(0).indexes;
    EXPECT_EQ(std::all_of(indexes.begin(), indexes.end(), [](uint8_t i) { return i == 1; }), blank) << ink;
  }
}

}  // namespace
}  // namespace quorel
