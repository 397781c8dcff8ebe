// Quorel — SPDX-License-Identifier: MIT
#include "codec/jpeg/ExifOrientation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"
#include "support/TestData.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

using namespace std::string_view_literals;

struct ExifCase { const char* name; std::string_view app1; int orientation; };

// APP1 payloads: "Exif\0\0", TIFF header (order, 42, IFD0 offset), IFD0
// (count, 12-byte entries: tag, type, count, value), next-IFD offset.
const ExifCase kExifCases[] = {
    {"little-endian", "Exif\0\0II*\0\x08\0\0\0" "\x01\0" "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0" "\0\0\0\0"sv, 6},
    {"big-endian", "Exif\0\0MM\0*\0\0\0\x08" "\0\x01" "\x01\x12\0\x03\0\0\0\x01\0\x08\0\0" "\0\0\0\0"sv, 8},
    {"value 9", "Exif\0\0MM\0*\0\0\0\x08" "\0\x01" "\x01\x12\0\x03\0\0\0\x01\0\x09\0\0" "\0\0\0\0"sv, 1},
    {"not a SHORT", "Exif\0\0II*\0\x08\0\0\0" "\x01\0" "\x12\x01\x04\0\x01\0\0\0\x06\0\0\0" "\0\0\0\0"sv, 1},
    {"two values", "Exif\0\0II*\0\x08\0\0\0" "\x01\0" "\x12\x01\x03\0\x02\0\0\0\x06\0\0\0" "\0\0\0\0"sv, 1},
    {"count past the end", "Exif\0\0II*\0\x08\0\0\0" "\xFF\xFF" "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0"sv, 1},
    {"entry cut short", "Exif\0\0II*\0\x08\0\0\0" "\x01\0" "\x12\x01\x03\0\x01\0\0\0\x06"sv, 1},
    {"IFD0 outside", "Exif\0\0II*\0\xF0\xFF\xFF\xFF" "\x01\0" "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0"sv, 1},
    {"IFD0 loops to the header", "Exif\0\0II*\0\0\0\0\0" "\x01\0" "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0"sv, 1},
    {"bad magic", "Exif\0\0II+\0\x08\0\0\0" "\x01\0" "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0"sv, 1},
    {"XMP, not Exif", "http://ns.adobe.com/xap/1.0/\0<x/>"sv, 1},
    {"header only", "Exif\0\0II"sv, 1},
};

TEST(ExifOrientationTest, ReadsTheTagAndIgnoresDamagedBlocks) {
  for (const ExifCase& c : kExifCases) {
    EXPECT_EQ(static_cast<int>(ReadExifOrientation({reinterpret_cast<const uint8_t*>(c.app1.data()), c.app1.size()})), c.orientation) << c.name;
  }
}

// Each fixture stores the upright pattern turned or mirrored, with the orientation that turns it back.
TEST(ExifOrientationTest, JpegReaderTurnsEveryOrientationUpright) {
  const PackedDib upright = ReadPngFile(test::DataPath("photo/upright.png")).value();
  for (int value = 1; value <= 8; ++value) {
    const std::string name = "photo/orient-" + std::to_string(value) + ".jpg";
    const auto decoded = ReadJpegFile(test::DataPath(name));
    ASSERT_TRUE(decoded.ok()) << name;
    ASSERT_EQ(std::pair(decoded->Width(), decoded->Height()), std::pair(upright.Width(), upright.Height()));
    int worst = 0;
    for (int y = 0; y < upright.Height(); ++y) {
      for (int x = 0; x < upright.Width(); ++x) {
        const Bgr a = test::PixelAt(*decoded, x, y), b = test::PixelAt(upright, x, y);
        for (int d : {a.blue - b.blue, a.green - b.green, a.red - b.red}) worst = std::max(worst, std::abs(d));
      }
    }
    EXPECT_LE(worst, 24) << name;  // JPEG error on flat blocks; a wrong turn is off by 100s
  }
}

}  // namespace
}  // namespace quorel
