// Quorel — SPDX-License-Identifier: MIT
#include "codec/jpeg/ExifOrientation.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ImportTestPixels.h"
#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"

namespace quorel {
namespace {

// The fuzz seeds (fuzz/make_exif_seeds.py): "le-6", "be-8", "be-3-far-ifd" carry
// the orientation in their name; every damaged or foreign block reads as 1.
TEST(ExifOrientationTest, ReadsTheTagAndIgnoresDamagedBlocks) {
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(test::SourceDir() / "fuzz/seeds/exif")) {
    const std::string name = entry.path().filename().string();
    const int expected = name.starts_with("le-") || name.starts_with("be-") ? name[3] - '0' : 1;
    EXPECT_EQ(static_cast<int>(ReadExifOrientation(test::ReadFileBytes(entry.path()))), expected) << name;
    ++seeds;
  }
  EXPECT_GE(seeds, 14);
}

// Each fixture stores the upright pattern turned or mirrored, with the orientation that turns it back; JPEG's
// error on flat blocks stays within 24, a wrong turn is off by hundreds.
TEST(ExifOrientationTest, JpegReaderTurnsEveryOrientationUpright) {
  const auto upright = test::PictureRgb(ReadPngFile(test::DataPath("photo/upright.png")).value().picture);
  for (int value = 1; value <= 8; ++value) {
    const std::string name = "photo/orient-" + std::to_string(value) + ".jpg";
    EXPECT_EQ(test::CompareRgb(test::PictureRgb(ReadJpegFile(test::DataPath(name)).value().picture), upright, 24), "") << name;
  }
  // XMP, then Exif with no valid orientation, before the file's 6: the first Exif wins, no turn.
  auto turned = test::ReadFileBytes(test::DataPath("photo/orient-6.jpg"));
  for (const char* seed : {"value-out-of-range", "xmp-not-exif"}) {  // inserted XMP first
    const auto app1 = test::ReadFileBytes(test::SourceDir() / "fuzz/seeds/exif" / seed);
    turned.insert(turned.begin() + 2, app1.begin(), app1.end());
    turned.insert(turned.begin() + 2, {0xFF, 0xE1, 0, uint8_t(app1.size() + 2)});  // APP1, its length
  }
  EXPECT_EQ(ReadJpegBytes(turned).value().picture.Width(), upright.height);
}

}  // namespace
}  // namespace quorel
