// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/Cleanup.h"

#include <gtest/gtest.h>

#include <tuple>

#include "codec/ImportPicture.h"
#include "image/ConvertTo24.h"
#include "image/TwoLevel.h"
#include "image/cleanup/PhotoCleanup.h"
#include "image/cleanup/TrimMargins.h"
#include "support/TestData.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

constexpr Colour kBlack = 0, kWhite = 0xFFFFFF;

// Ink F-measure of a picture's two-level reduction against a mask (white = ink).
double InkFMeasure(const PackedDib& picture, const PackedDib& mask) {
  const PackedDib bits = ReduceToTwoLevels(picture, kBlack, kWhite).value();
  const ConstDibRows rows = ConstDibRows::Of(bits).value();
  int both = 0, found = 0, drawn = 0;
  for (int y = 0; y < mask.Height(); ++y) {
    for (int x = 0; x < mask.Width(); ++x) {
      const bool ink = (rows.TopDownRow(y)[x / 8] & (0x80 >> (x % 8))) == 0;
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
    EXPECT_GE(InkFMeasure(CleanPhoto(photo).value().picture, mask), 0.95) << name;
  }
}

struct TrimCase { int width, height; PixelRect ink, kept; };

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
    const PackedDib picture = test::MakePicture24(c.width, c.height, [&](int x, int y) {
      const bool ink = x >= c.ink.left && x < c.ink.right && y >= c.ink.top && y < c.ink.bottom;
      return ink ? test::Grey(20) : test::Grey(static_cast<uint8_t>(240 + x % 3 * 5));
    });
    const PixelRect kept = FindInkRect(picture).value();
    EXPECT_EQ(std::tie(kept.left, kept.top, kept.right, kept.bottom),
              std::tie(c.kept.left, c.kept.top, c.kept.right, c.kept.bottom));
    const PackedDib trimmed = ApplyCleanup(picture, CleanupLevel::kTrim).value();
    ASSERT_EQ(std::pair(trimmed.Width(), trimmed.Height()), std::pair(c.kept.right - c.kept.left, c.kept.bottom - c.kept.top));
    const int x = trimmed.Width() - 1, y = trimmed.Height() - 1;  // a corner and the middle
    EXPECT_EQ(test::PixelAt(trimmed, x, y), test::PixelAt(picture, x + kept.left, y + kept.top));
    EXPECT_EQ(test::PixelAt(trimmed, x / 2, y / 2), test::PixelAt(picture, x / 2 + kept.left, y / 2 + kept.top));
  }
}

// On clean scans the photo clean-up finds the very ink of today's reduction,
// so its output differs from trim's only in the pixels' shades.
TEST(CleanupTest, CleanScansChangeOnlyInTheirMargins) {
  for (const char* name : {"signature.bmp", "seal.bmp"}) {
    const PackedDib scan = Read24(test::SourceDir() / "resources/samples" / name);
    const PackedDib a = ReduceToTwoLevels(ApplyCleanup(scan, CleanupLevel::kTrim).value(), kBlack, kWhite).value();
    const PackedDib b = ReduceToTwoLevels(ApplyCleanup(scan, CleanupLevel::kPhoto).value(), kBlack, kWhite).value();
    EXPECT_TRUE(std::ranges::equal(a.Bytes(), b.Bytes())) << name;
  }
}

}  // namespace
}  // namespace quorel
