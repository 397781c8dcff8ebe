// Quorel — SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "ImportTestPixels.h"
#include "codec/bmp/BmpFile.h"
#include "common/LittleEndian.h"
#include "image/DibLayout.h"
#include "support/TestData.h"

namespace quorel {
namespace {

using test::DataPath;

// A BMP file put together field by field: file header, 40-byte (or other)
// bitmap header, then whatever follows it.
struct BmpLayout {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t size_image = 0;
  uint32_t clr_used = 0;
  uint32_t header_size = 40;
  bool file_header = true;
  int64_t off_bits = -1;  // -1: right after the header and `tail`'s table part
};

std::vector<uint8_t> MakeBmp(const BmpLayout& layout, const std::vector<uint8_t>& tail) {
  std::vector<uint8_t> info(layout.header_size < 40 ? 40 : layout.header_size, 0);
  StoreLe32(info, 0, layout.header_size);
  StoreLe32(info, 4, static_cast<uint32_t>(layout.width));
  StoreLe32(info, 8, static_cast<uint32_t>(layout.height));
  StoreLe16(info, 12, 1);
  StoreLe16(info, 14, layout.bits);
  StoreLe32(info, 16, layout.compression);
  StoreLe32(info, 20, layout.size_image);
  StoreLe32(info, 32, layout.clr_used);
  std::vector<uint8_t> bytes;
  if (layout.file_header) {
    bytes.resize(14, 0);
    bytes[0] = 'B', bytes[1] = 'M';
    StoreLe32(bytes, 2, static_cast<uint32_t>(14 + info.size() + tail.size()));
    StoreLe32(bytes, 10, layout.off_bits < 0 ? 0 : static_cast<uint32_t>(layout.off_bits));
  }
  bytes.insert(bytes.end(), info.begin(), info.end());
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

// Fixtures from Pillow and ImageMagick must give Pillow's pixels.
TEST(BmpReader, FixturesGiveTheIndependentDecodersPixels) {
  const char* names[] = {"pal1", "pal4", "pal8", "rgb24", "core12-pal4", "core12-rgb24", "rgb32",
                         "rgb32-bf", "topdown-rgb24", "topdown-pal8"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    auto picture = ReadBmpFile(DataPath(std::string("bmp/") + name + ".bmp"));
    ASSERT_TRUE(picture) << picture.code();
    EXPECT_EQ(picture->HeaderSize(), 40u);
    EXPECT_GT(picture->Height(), 0);
    EXPECT_EQ(test::CompareRgb(test::PictureRgb(*picture),
                               test::ReadRgbDump(DataPath(std::string("bmp/") + name + ".rgb"))), "");
  }
}

// 16-bit components keep the file's 5 or 6 bits shifted to the top of the
// byte (31 → 248), where Pillow stretches them to 255: compare the bits.
TEST(BmpReader, SixteenBitFixturesKeepTheirComponentBits) {
  struct Case { const char* name; int green_bits; };
  for (const Case c : {Case{"rgb16-555", 5}, Case{"rgb16-bf555", 5}, Case{"rgb16-bf565", 6}}) {
    SCOPED_TRACE(c.name);
    auto picture = ReadBmpFile(DataPath(std::string("bmp/") + c.name + ".bmp"));
    ASSERT_TRUE(picture) << picture.code();
    EXPECT_EQ(picture->BitCount(), 24);
    auto expected = test::ReadRgbDump(DataPath(std::string("bmp/") + c.name + ".rgb"));
    for (size_t i = 0; i < expected.rgb.size(); ++i) {
      const int bits = i % 3 == 1 ? c.green_bits : 5;
      const int max = (1 << bits) - 1;
      const int value = static_cast<int>(std::lround(expected.rgb[i] * max / 255.0));
      expected.rgb[i] = static_cast<uint8_t>(value << (8 - bits));
    }
    EXPECT_EQ(test::CompareRgb(test::PictureRgb(*picture), expected), "");
  }
}

TEST(BmpReader, ReadsBareDib) {
  const auto file = test::ReadFileBytes(DataPath("bmp/rgb24.bmp"));
  auto with_header = ReadBmpBytes(file);
  auto bare = ReadBmpBytes(std::span(file).subspan(14));
  ASSERT_TRUE(with_header);
  ASSERT_TRUE(bare);
  EXPECT_EQ(test::PictureRgb(*bare).rgb, test::PictureRgb(*with_header).rgb);
}

TEST(BmpReader, WidensCoreHeaderAndTable) {
  // 12-byte header, 1 bit, 2 × 1; two 3-byte entries; one row; padded so that
  // 40 bytes follow the header start.
  std::vector<uint8_t> bytes = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0,
                                10, 20, 30, 40, 50, 60,
                                0x40, 0, 0, 0};
  bytes.resize(14 + 40, 0);
  auto picture = ReadBmpBytes(bytes);
  ASSERT_TRUE(picture) << picture.code();
  EXPECT_EQ(picture->HeaderSize(), 40u);
  EXPECT_EQ(picture->ClrUsed(), 2u);
  EXPECT_EQ(picture->Field32(DibField::kClrImportant), 2u);
  EXPECT_EQ(picture->BitCount(), 1);
  const auto block = picture->Bytes();
  EXPECT_EQ(std::vector<uint8_t>(block.begin() + 40, block.begin() + 48),
            (std::vector<uint8_t>{10, 20, 30, 0, 40, 50, 60, 0}));
  EXPECT_EQ(test::PictureRgb(*picture).rgb, (std::vector<uint8_t>{30, 20, 10, 60, 50, 40}));
}

// Every picture comes out bottom-up, with its size image filled in, and 16 and
// 32 bits become 24.
TEST(BmpReader, ReadsPixelLayouts) {
  std::vector<uint8_t> pal8(256 * 4 + 4, 0);  // no colour count: the full table
  pal8[4 * 7 + 2] = 200;                       // entry 7 red
  pal8[1024] = 7;                              // the one pixel
  struct Case {
    const char* what;
    BmpLayout layout;
    std::vector<uint8_t> tail;
    std::vector<uint8_t> rgb;
    uint16_t bit_count = 24;
    uint32_t size_image = 4;
    uint32_t clr_used = 0;
  };
  const Case cases[] = {
      {"1×1 without size image", {}, {1, 2, 3, 0}, {3, 2, 1}},
      {"8 bits, clrUsed 0", {.bits = 8}, pal8, {200, 0, 0}, 8, 4, 256},
      {"top-down", {.height = -2}, {0, 0, 255, 0, 255, 0, 0, 0}, {255, 0, 0, 0, 0, 255}, 24, 8},
      {"top-down 16-bit", {.height = -2, .bits = 16}, {0x00, 0x7C, 0, 0, 0x1F, 0, 0, 0},
       {248, 0, 0, 0, 0, 248}, 24, 8},
      {"16-bit 0x7FFF", {.bits = 16}, {0xFF, 0x7F, 0, 0}, {248, 248, 248}},
      {"16-bit 0x7C00", {.bits = 16}, {0x00, 0x7C, 0, 0}, {248, 0, 0}},
      {"32-bit", {.bits = 32}, {10, 20, 30, 0}, {30, 20, 10}},
      {"565 white", {.bits = 16, .compression = 3},
       {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0, 0xFF, 0xFF, 0, 0}, {248, 252, 248}},
      {"mask of 0", {.bits = 32, .compression = 3},
       {0, 0, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0, 9, 8, 7, 6}, {0, 8, 9}},
      {"10-bit masks keep their top bits", {.bits = 32, .compression = 3},
       {0, 0, 0xF0, 0x3F, 0, 0xFC, 0x0F, 0, 0xFF, 0x03, 0, 0, 0xFF, 0x03, 0xF0, 0x3F}, {255, 0, 255}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto picture = ReadBmpBytes(MakeBmp(c.layout, c.tail));
    ASSERT_TRUE(picture) << picture.code();
    EXPECT_EQ(picture->BitCount(), c.bit_count);
    EXPECT_EQ(picture->Compression(), 0u);
    EXPECT_EQ(picture->SizeImage(), c.size_image);
    EXPECT_EQ(picture->ClrUsed(), c.clr_used);
    EXPECT_EQ(test::PictureRgb(*picture).rgb, c.rgb);
  }
}

TEST(BmpReader, RefusesDamagedAndUnsupportedFiles) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    Status status;
  };
  const std::vector<uint8_t> pixel = {1, 2, 3, 0};
  auto header_cut_short = MakeBmp({}, pixel);
  header_cut_short.resize(40);
  const Case cases[] = {
      {"10 bytes", std::vector<uint8_t>(10, 'B'), Status::kCannotOpen},
      {"header cut short", header_cut_short, Status::kCannotOpen},
      {"rows cut short", MakeBmp({.width = 2}, pixel), Status::kCannotOpen},
      {"colour table past the end", MakeBmp({.bits = 8, .clr_used = 200}, pixel), Status::kCannotOpen},
      {"masks past the end", MakeBmp({.bits = 16, .compression = 3}, {}), Status::kCannotOpen},
      {"rows offset past the end", MakeBmp({.off_bits = 4000}, pixel), Status::kCannotOpen},
      {"header of 108 bytes", MakeBmp({.header_size = 108}, pixel), Status::kUnsupported},
      {"header of 64 bytes", MakeBmp({.header_size = 64}, pixel), Status::kUnsupported},
      {"RLE8", MakeBmp({.bits = 8, .compression = 1}, pixel), Status::kUnsupported},
      {"2 bits", MakeBmp({.bits = 2}, pixel), Status::kUnsupported},
      {"bit fields at 24 bits", MakeBmp({.compression = 3}, pixel), Status::kUnsupported},
      {"width 0", MakeBmp({.width = 0}, pixel), Status::kUnsupported},
      {"negative width", MakeBmp({.width = -1}, pixel), Status::kUnsupported},
      {"height 0", MakeBmp({.height = 0}, pixel), Status::kUnsupported},
      {"size image below stride × height", MakeBmp({.height = 2, .size_image = 4}, {0, 0, 0, 0, 0, 0, 0, 0}),
       Status::kUnsupported},
      {"huge colour count", MakeBmp({.bits = 8, .clr_used = 0x40000000}, pixel), Status::kUnsupported},
      {"huge width", MakeBmp({.width = INT32_MAX, .height = 2}, pixel), Status::kTooLarge},
      {"lowest height", MakeBmp({.height = INT32_MIN}, pixel), Status::kTooLarge},
      {"huge size image", MakeBmp({.size_image = 0xFFFFFFF0}, pixel), Status::kCannotOpen},
      {"rle8.bmp", test::ReadFileBytes(DataPath("bmp/rle8.bmp")), Status::kUnsupported},
      {"v4-rgb24.bmp", test::ReadFileBytes(DataPath("bmp/v4-rgb24.bmp")), Status::kUnsupported},
      {"v5-rgb32.bmp", test::ReadFileBytes(DataPath("bmp/v5-rgb32.bmp")), Status::kUnsupported},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadBmpBytes(c.bytes).status(), c.status);
  }
  EXPECT_EQ(ReadBmpFile(DataPath("bmp/no-such-file.bmp")).status(), Status::kCannotOpen);
}

}  // namespace
}  // namespace quorel
