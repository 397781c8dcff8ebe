// Quorel — SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <array>
#include <climits>
#include "ImportTestPixels.h"
#include "codec/bmp/BmpFile.h"
#include "common/LittleEndian.h"
#include "support/TestData.h"

namespace quorel {
namespace {

using test::DataPath;
using Bytes = std::vector<uint8_t>;

// A BMP file put together field by field: file header, bitmap header, then `tail`.
struct BmpLayout {
  int32_t width = 1, height = 1;
  uint16_t bits = 24;
  uint32_t compression = 0, size_image = 0, clr_used = 0, header_size = 40;
  uint32_t off_bits = 0;  // 0: right behind the header and table
};

Bytes MakeBmp(const BmpLayout& layout, const Bytes& tail) {
  Bytes bytes(14 + 40, 0);
  const uint32_t fields[] = {
      layout.header_size, uint32_t(layout.width), uint32_t(layout.height), layout.bits << 16 | 1u,
      layout.compression, layout.size_image, 0, 0, layout.clr_used};
  for (size_t i = 0; i < std::size(fields); ++i) StoreLe32(bytes, 14 + 4 * i, fields[i]);
  bytes[0] = 'B', bytes[1] = 'M';
  StoreLe32(bytes, 2, uint32_t(bytes.size() + tail.size()));
  StoreLe32(bytes, 10, layout.off_bits);
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

// Hand-made files of layouts the fixtures and the suite leave out come out bottom-up in 1, 4, 8 or 24 bits.
TEST(BmpReader, ReadsPixelLayouts) {
  // 12-byte header, 1 bit, 2 × 1, two 3-byte entries, one row: 36 bytes in all.
  const Bytes core = {'B', 'M', 36, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // file header
                      12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0,              // bitmap header
                      10, 20, 30, 40, 50, 60,                           // entries 0 and 1, blue first
                      0x40, 0, 0, 0};                                   // pixels 0, 1
  const auto rgb24 = test::ReadFileBytes(DataPath("bmp/rgb24.bmp"));
  auto bit_fields = [](const Bytes& tail) { return MakeBmp({.bits = 32, .compression = 3}, tail); };
  auto versioned = [](BmpLayout layout, std::array<uint32_t, 4> masks, const Bytes& rows) {
    Bytes tail(layout.header_size - 40, 0);  // version 4/5: red, green, blue, alpha masks, zeros; rows
    for (size_t i = 0; i < masks.size(); ++i) StoreLe32(tail, 4 * i, masks[i]);
    tail.insert(tail.end(), rows.begin(), rows.end());
    return MakeBmp(layout, tail);
  };
  struct Case { const char* what; Bytes file; Bytes rgb; uint16_t bit_count = 24; };
  const Case cases[] = {
      {"bare packed DIB, as on the clipboard", Bytes(rgb24.begin() + 14, rgb24.end()),
       test::FixtureDump("bmp", "rgb24").rgb},
      {"12-byte header shorter than 40 bytes", core, {30, 20, 10, 60, 50, 40}, 1},
      {"size image past the file, rows there", MakeBmp({.size_image = 0xFFFFFFF0}, {1, 2, 3, 0}), {3, 2, 1}},
      {"size image above the rows", MakeBmp({.width = 2, .size_image = 64}, {1, 2, 3, 4, 5, 6, 0, 0}),
       {3, 2, 1, 6, 5, 4}},
      {"rows at an offset", MakeBmp({.off_bits = 56}, {9, 9, 4, 5, 6, 0}), {6, 5, 4}},
      {"mask of 0", bit_fields({0, 0, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0, 9, 8, 7, 6}), {0, 8, 9}},
      {"10-bit masks keep their top bits",
       bit_fields({0, 0, 0xF0, 0x3F, 0, 0xFC, 0x0F, 0, 0xFF, 0x03, 0, 0, 0xFF, 0x03, 0xF0, 0x3F}),
       {255, 0, 255}},
      {"version 5, top-down", versioned({.height = -2, .header_size = 124}, {}, {1, 2, 3, 0, 4, 5, 6, 0}),
       {3, 2, 1, 6, 5, 4}},
      {"version 5, alpha over white", versioned({.bits = 32, .compression = 3, .header_size = 124},
       {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {0, 0, 255, 128}), {255, 127, 127}},
      {"version 4, alpha 0 everywhere: opaque", versioned({.bits = 32, .compression = 3, .header_size = 108},
       {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {9, 8, 7, 0}), {7, 8, 9}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto picture = test::PictureOf(ReadBmpBytes(c.file));
    ASSERT_TRUE(picture) << picture.code();
    EXPECT_EQ(picture->BitCount(), c.bit_count);
    EXPECT_EQ(test::PictureRgb(*picture).rgb, c.rgb);
  }
}

// Hostile or unsupported headers are refused before anything is allocated.
TEST(BmpReader, RefusesDamagedAndUnsupportedFiles) {
  const Bytes pixel = {1, 2, 3, 0};
  const auto whole = MakeBmp({}, pixel);
  using enum Status;
  struct Case { const char* what; Bytes bytes; Status status; };
  const Case cases[] = {
      {"10 bytes", Bytes(10, 'B'), kCannotOpen},
      {"header cut short", Bytes(whole.begin(), whole.begin() + 40), kCannotOpen},
      {"rows cut short", MakeBmp({.width = 2}, pixel), kCannotOpen},
      {"colour table past the end", MakeBmp({.bits = 8, .clr_used = 200}, pixel), kCannotOpen},
      {"masks past the end", MakeBmp({.bits = 16, .compression = 3}, {}), kCannotOpen},
      {"rows offset past the end", MakeBmp({.off_bits = 4000}, pixel), kCannotOpen},
      {"header of 64 bytes", MakeBmp({.header_size = 64}, pixel), kUnsupported},
      {"RLE8", MakeBmp({.bits = 8, .compression = 1}, pixel), kUnsupported},
      {"2 bits", MakeBmp({.bits = 2}, pixel), kUnsupported},
      {"bit fields at 24 bits", MakeBmp({.compression = 3}, pixel), kUnsupported},
      {"width 0", MakeBmp({.width = 0}, pixel), kUnsupported},
      {"negative width", MakeBmp({.width = -1}, pixel), kUnsupported},
      {"height 0", MakeBmp({.height = 0}, pixel), kUnsupported},
      {"size image below the rows", MakeBmp({.height = 2, .size_image = 4}, Bytes(8, 0)), kUnsupported},
      {"huge colour count", MakeBmp({.bits = 8, .clr_used = 0x40000000}, pixel), kUnsupported},
      {"huge width", MakeBmp({.width = INT32_MAX, .height = 2}, pixel), kTooLarge},
      {"lowest height", MakeBmp({.height = INT32_MIN}, pixel), kTooLarge},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadBmpBytes(c.bytes).status(), c.status) << c.what;
  EXPECT_EQ(ReadBmpFile(DataPath("bmp/no-such-file.bmp")).status(), Status::kCannotOpen);
}

}  // namespace
}  // namespace quorel
