// Quorel — SPDX-License-Identifier: MIT
#include "codec/jpeg/ExifOrientation.h"

#include <gtest/gtest.h>

#include <string_view>

#include "ImportTestPixels.h"
#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"

namespace quorel {
namespace {

using namespace std::string_view_literals;

struct ExifCase { const char* name; std::string_view app1; int orientation; };

// APP1 payloads: "Exif\0\0", TIFF header (order, 42, IFD0 offset), IFD0
// (count, 12-byte entries: tag, type, count, value), next-IFD offset.
const ExifCase kExifCases[] = {
    {"II order", "Exif\0\0II*\0\x08\0\0\0" "\x01\0" "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0" "\0\0\0\0"sv, 6},
    {"MM order", "Exif\0\0MM\0*\0\0\0\x08" "\0\x01" "\x01\x12\0\x03\0\0\0\x01\0\x08\0\0" "\0\0\0\0"sv, 8},
    {"value 9", "Exif\0\0MM\0*\0\0\0\x08" "\0\x01" "\x01\x12\0\x03\0\0\0\x01\0\x09\0\0" "\0\0\0\0"sv, 1},
    {"not a SHORT", "Exif\0\0II*\0\x08\0\0\0" "\x01\0" "\x12\x01\x04\0\x01\0\0\0\x06\0\0\0" "\0\0\0\0"sv, 1},
    {"two values", "Exif\0\0II*\0\x08\0\0\0" "\x01\0" "\x12\x01\x03\0\x02\0\0\0\x06\0\0\0" "\0\0\0\0"sv, 1},
    {"count past the end", "Exif\0\0II*\0\x08\0\0\0" "\xFF\xFF" "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0"sv, 1},
    {"entry cut short", "Exif\0\0II*\0\x08\0\0\0" "\x01\0" "\x12\x01\x03\0\x01\0\0\0\x06"sv, 1},
    {"IFD0 outside", "Exif\0\0II*\0\xF0\xFF\xFF\xFF" "\x01\0" "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0"sv, 1},
    {"IFD0 at the header", "Exif\0\0II*\0\0\0\0\0" "\x01\0" "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0"sv, 1},
    {"bad magic", "Exif\0\0II+\0\x08\0\0\0" "\x01\0" "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0"sv, 1},
    {"XMP, not Exif", "http://ns.adobe.com/xap/1.0/\0<x/>"sv, 1},
    {"header only", "Exif\0\0II"sv, 1},
};

TEST(ExifOrientationTest, ReadsTheTagAndIgnoresDamagedBlocks) {
  for (const ExifCase& c : kExifCases) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(c.app1.data());
    EXPECT_EQ(static_cast<int>(ReadExifOrientation({bytes, c.app1.size()})), c.orientation) << c.name;
  }
}

// Each fixture stores the upright pattern turned or mirrored, with the orientation that turns it back; JPEG's
// error on flat blocks stays within 24, a wrong turn is off by hundreds.
TEST(ExifOrientationTest, JpegReaderTurnsEveryOrientationUpright) {
  const auto upright = test::PictureRgb(ReadPngFile(test::DataPath("photo/upright.png")).value());
  for (int value = 1; value <= 8; ++value) {
    const std::string name = "photo/orient-" + std::to_string(value) + ".jpg";
    const auto decoded = ReadJpegFile(test::DataPath(name));
    ASSERT_TRUE(decoded.ok()) << name;
    EXPECT_EQ(test::CompareRgb(test::PictureRgb(*decoded), upright, 24), "") << name;
  }
  // XMP, then Exif with no valid orientation, before the file's 6: the first Exif wins, no turn.
  auto turned = test::ReadFileBytes(test::DataPath("photo/orient-6.jpg"));
  for (const std::string_view app1 : {kExifCases[2].app1, kExifCases[10].app1}) {  // inserted XMP first
    turned.insert(turned.begin() + 2, app1.begin(), app1.end());
    turned.insert(turned.begin() + 2, {0xFF, 0xE1, 0, uint8_t(app1.size() + 2)});  // APP1, its length
  }
  EXPECT_EQ(ReadJpegBytes(turned).value().Width(), upright.height);
}

}  // namespace
}  // namespace quorel
