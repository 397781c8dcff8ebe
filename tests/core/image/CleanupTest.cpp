// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/Cleanup.h"

#include <gtest/gtest.h>

#include "codec/ImportPicture.h"
#include "image/ConvertTo24.h"
#include "image/TwoLevel.h"
#include "image/cleanup/PhotoCleanup.h"
#include "image/cleanup/TrimMargins.h"
#include "support/TestData.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

constexpr Colour kBlack = 0;
constexpr Colour kWhite = 0xFFFFFF;

bool IsInk(const PackedDib& two_level, int x, int y) {
  const auto row = ConstDibRows::Of(two_level).value().TopDownRow(y);
  return (row[static_cast<size_t>(x) / 8] & (0x80 >> (x % 8))) == 0;
}

// Ink F-measure of a picture's two-level reduction against a mask (white = ink).
double InkFMeasure(const PackedDib& picture, const PackedDib& mask) {
  const PackedDib bits = ReduceToTwoLevels(picture, kBlack, kWhite).value();
  int both = 0, found = 0, drawn = 0;
  for (int y = 0; y < mask.Height(); ++y) {
    for (int x = 0; x < mask.Width(); ++x) {
      const bool ink = IsInk(bits, x, y);
      const bool real = test::PixelAt(mask, x, y).red >= 128;
      both += ink && real;
      found += ink;
      drawn += real;
    }
  }
  return 2.0 * both / (found + drawn);
}

PackedDib Read24(const std::filesystem::path& path) {
  return ConvertTo24(ReadPictureFile(path).value()).value();
}

// Small phone photos from bench/make_photos.py: shadowed corner, gradient,
// grain, colour cast, blur, JPEG. The seal is red on cream paper.
TEST(CleanupTest, PhotoFindsTheInkOfShadowedPhotos) {
  for (const char* name : {"signature", "seal"}) {
    const PackedDib photo = Read24(test::DataPath(std::string("photo/") + name + ".jpg"));
    const PackedDib mask = Read24(test::DataPath(std::string("photo/") + name + "-mask.png"));
    EXPECT_LT(InkFMeasure(photo, mask), 0.6) << name << ": the shadow is not ink today";
    EXPECT_GE(InkFMeasure(EvenOutPhoto(photo).value(), mask), 0.95) << name;
  }
}

struct TrimCase {
  int width, height;
  PixelRect ink;
  PixelRect kept;
};

// The margin is 2 % of the ink's larger side, at least 2 pixels, inside the picture.
const TrimCase kTrimCases[] = {
    {100, 80, {30, 20, 60, 50}, {28, 18, 62, 52}},
    {400, 300, {100, 50, 300, 250}, {96, 46, 304, 254}},
    {50, 40, {0, 0, 10, 10}, {0, 0, 12, 12}},
    {60, 40, {55, 1, 60, 39}, {53, 0, 60, 40}},
    {30, 20, {0, 0, 0, 0}, {0, 0, 30, 20}},  // no ink: nothing cut
};

TEST(CleanupTest, TrimKeepsTheInkAndItsMargin) {
  for (const TrimCase& c : kTrimCases) {
    const auto inside = [&](int x, int y) {
      return x >= c.ink.left && x < c.ink.right && y >= c.ink.top && y < c.ink.bottom;
    };
    const PackedDib picture = test::MakePicture24(c.width, c.height, [&](int x, int y) {
      return inside(x, y) ? test::Grey(20) : test::Grey(x % 3 == 0 ? 240 : 250);
    });
    const PixelRect kept = FindInkRect(picture).value();
    EXPECT_EQ(kept.left, c.kept.left);
    EXPECT_EQ(kept.top, c.kept.top);
    EXPECT_EQ(kept.right, c.kept.right);
    EXPECT_EQ(kept.bottom, c.kept.bottom);
    const PackedDib trimmed = ApplyCleanup(picture, CleanupLevel::kTrim).value();
    ASSERT_EQ(trimmed.Width(), c.kept.right - c.kept.left);
    ASSERT_EQ(trimmed.Height(), c.kept.bottom - c.kept.top);
    for (int y = 0; y < trimmed.Height(); ++y) {
      for (int x = 0; x < trimmed.Width(); ++x) {
        ASSERT_EQ(test::PixelAt(trimmed, x, y), test::PixelAt(picture, x + kept.left, y + kept.top));
      }
    }
  }
}

// On clean scans the photo clean-up finds the very ink of today's reduction,
// so its output differs from trim's only in the pixels' shades.
TEST(CleanupTest, CleanScansChangeOnlyInTheirMargins) {
  for (const char* name : {"signature.bmp", "seal.bmp"}) {
    const PackedDib scan = Read24(test::SourceDir() / "resources/samples" / name);
    const PackedDib trimmed = ApplyCleanup(scan, CleanupLevel::kTrim).value();
    const PackedDib photo = ApplyCleanup(scan, CleanupLevel::kPhoto).value();
    const PackedDib a = ReduceToTwoLevels(trimmed, kBlack, kWhite).value();
    const PackedDib b = ReduceToTwoLevels(photo, kBlack, kWhite).value();
    EXPECT_TRUE(std::ranges::equal(a.Bytes(), b.Bytes())) << name;
    const PackedDib none = ApplyCleanup(scan, CleanupLevel::kNone).value();
    EXPECT_TRUE(std::ranges::equal(none.Bytes(), scan.Bytes())) << name;
  }
}

}  // namespace
}  // namespace quorel
