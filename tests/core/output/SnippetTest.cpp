// Quorel — SPDX-License-Identifier: MIT
#include "output/Snippet.h"

#include <gtest/gtest.h>

#include "panel/ImagePanel.h"
#include "settings/OptionBits.h"
#include "support/DataUrl.h"
#include "support/GiflibDecode.h"
#include "support/TempDir.h"
#include "support/TestData.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

using test::GiflibImage;
using test::Grey;

constexpr std::string_view kRight = "<div align=right style=\"width:100%\">";
constexpr std::string_view kCentre = "<div align=center style=\"width:100%\">";
constexpr std::string_view kLeft = "<div align=left style=\"width:100%\">";

// A dark diagonal stroke on white, so the two-level picture has both levels.
ImagePanel PanelWith(int32_t width, int32_t height, ScaleSettings scale = {}) {
  ImagePanel panel;
  panel.picture = test::MakePicture24(width, height, [](int x, int y) {
    return Grey(std::abs(x - y) < 3 ? 20 : 250);
  });
  panel.picture_width = width;
  panel.picture_height = height;
  panel.scale = scale;
  return panel;
}

class SnippetTest : public ::testing::Test {
 protected:
  SnippetResult Build(int32_t bits) {
    SnippetRequest request;
    request.option_bits = bits;
    request.signature = &signature_;
    request.seal = &seal_;
    request.signature_colour = signature_colour_;
    request.seal_colour = seal_colour_;
    request.gif_folder = dir_.path();
    return BuildSnippet(request);
  }
  static GiflibImage Decode(const std::vector<uint8_t>& gif) {
    std::string error;
    const auto image = test::DecodeWithGiflib(gif, &error);
    EXPECT_TRUE(image) << error;
    return image.value_or(GiflibImage{});
  }

  test::TempDir dir_;
  ImagePanel signature_ = PanelWith(300, 120, {kScaleFitHeight, 48, 48, 100});
  ImagePanel seal_ = PanelWith(64, 64);
  Colour signature_colour_ = kDefaultSignatureColour;
  Colour seal_colour_ = kDefaultSealColour;
};

TEST_F(SnippetTest, BothPicturesCentredInOrder) {
  const SnippetResult result = Build(option_bit::kSignature | option_bit::kSeal | option_bit::kAlignCentre);
  ASSERT_TRUE(result.ok());
  const std::string& text = *result.text;
  const auto tags = test::Base64OfTags(text);
  ASSERT_EQ(tags.size(), 2u);
  EXPECT_EQ(text, std::string(kCentre) + "<img src=\"data:image/gif;base64," + tags[0] + "\">" +
                      "<img src=\"data:image/gif;base64," + tags[1] + "\"></div>");
  EXPECT_TRUE(tags[0].starts_with("R0lGODdh"));  // "GIF87a"
  EXPECT_TRUE(tags[1].starts_with("R0lGODdh"));

  const auto gifs = test::GifsOfSnippet(text);
  const GiflibImage signature = Decode(gifs[0]);
  EXPECT_EQ(signature.width, 120);  // fit height 48
  EXPECT_EQ(signature.height, 48);
  EXPECT_EQ(signature.transparent_index, 1);
  ASSERT_GE(signature.colours.size(), 2u);
  EXPECT_EQ(signature.colours[0], (test::GifRgb{0, 0, 0}));        // ink black
  EXPECT_EQ(signature.colours[1], (test::GifRgb{255, 255, 255}));  // on white
  const GiflibImage seal = Decode(gifs[1]);
  EXPECT_EQ(seal.width, 64);
  EXPECT_EQ(seal.colours[0], (test::GifRgb{255, 0, 0}));  // ink red
  EXPECT_EQ(seal.colours[1], (test::GifRgb{0, 0, 0}));    // on black
  // The diagonal stroke is ink, the rest background.
  ASSERT_EQ(seal.frames.size(), 1u);
  EXPECT_EQ(seal.frames[0].At(10, 10), 0);
  EXPECT_EQ(seal.frames[0].At(40, 10), 1);
}

TEST_F(SnippetTest, AlignmentAndChoiceOfPictures) {
  struct Case {
    int32_t bits;
    std::string_view open;
    size_t tags;
  };
  const Case cases[] = {
      {option_bit::kSignature | option_bit::kAlignRight | option_bit::kAlignCentre, kRight, 1},
      {option_bit::kSeal | option_bit::kAlignCentre, kCentre, 1},
      {option_bit::kDefaultsWritten, kLeft, 0},
      {kDefaultOptionBits, kRight, 2},
  };
  for (const Case& c : cases) {
    const SnippetResult result = Build(c.bits);
    ASSERT_TRUE(result.ok()) << c.bits;
    EXPECT_TRUE(result.text->starts_with(c.open)) << c.bits;
    EXPECT_TRUE(result.text->ends_with("</div>"));
    EXPECT_EQ(test::Base64OfTags(*result.text).size(), c.tags) << c.bits;
  }
  EXPECT_EQ(*Build(0).text, std::string(kLeft) + "</div>");
  // Only the seal: its tag comes right after the opening text and is the seal's.
  const SnippetResult seal_only = Build(option_bit::kSeal);
  const std::string after_open = seal_only.text->substr(kLeft.size());
  EXPECT_TRUE(after_open.starts_with("<img src=\"data:image/gif;base64,"));
  EXPECT_EQ(Decode(test::GifsOfSnippet(*seal_only.text)[0]).width, 64);
}

TEST_F(SnippetTest, MissingOrFailingPictureGivesItsMessage) {
  const int32_t both = option_bit::kSignature | option_bit::kSeal;
  {
    ImagePanel empty;
    std::swap(signature_, empty);
    const SnippetResult result = Build(both);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.message, MessageCode::kSignatureFailed);
    // The seal is not tried after a signature failure.
    EXPECT_FALSE(std::filesystem::exists(dir_ / "$image.gif"));
    std::swap(signature_, empty);
  }
  {
    seal_.picture.reset();
    const SnippetResult result = Build(both);
    EXPECT_EQ(result.message, MessageCode::kSealFailed);
    // The signature was encoded, then discarded.
    const GiflibImage last = Decode(test::ReadFileBytes(dir_ / "$image.gif"));
    EXPECT_EQ(last.width, 120);
  }
  {
    // A picture that cannot be resampled (8 bits) with a scale setting.
    seal_ = PanelWith(64, 64, {kScaleRatio, 48, 48, 50});
    seal_.picture = test::MakeIndexed(8, 64, 64, {Grey(0)}, [](int, int) { return 0; });
    EXPECT_EQ(Build(option_bit::kSeal).message, MessageCode::kSealFailed);
    // Without one it is copied, and the reduction handles 8 bits.
    seal_.scale.mode = kScaleNone;
    EXPECT_TRUE(Build(option_bit::kSeal).ok());
  }
  {
    SnippetRequest request;
    request.option_bits = option_bit::kSignature;
    request.signature = &signature_;
    request.gif_folder = dir_ / "no" / "such" / "folder";
    EXPECT_EQ(BuildSnippet(request).message, MessageCode::kSignatureFailed);
  }
}

TEST(ReadWholeFileTest, EmptyAndMissingFilesGiveNothing) {
  test::TempDir dir;
  EXPECT_FALSE(ReadWholeFile(dir / "missing"));
  test::WriteFileBytes(dir / "empty", {});
  EXPECT_FALSE(ReadWholeFile(dir / "empty"));
  test::WriteFileBytes(dir / "three", {1, 2, 3});
  EXPECT_EQ(ReadWholeFile(dir / "three"), (ByteBuffer{1, 2, 3}));
  EXPECT_FALSE(ReadWholeFile(dir.path()));  // a folder
}

}  // namespace
}  // namespace quorel
