// Quorel — SPDX-License-Identifier: MIT
#pragma once

// Small pictures built pixel by pixel for the scaling, panel and output tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "image/DibLayout.h"
#include "image/DibPrimitives.h"
#include "image/PackedDib.h"

namespace quorel {

// For comparing and printing pixels in expectations (found by argument lookup).
inline bool operator==(const Bgr& a, const Bgr& b) {
  return a.blue == b.blue && a.green == b.green && a.red == b.red;
}
inline void PrintTo(const Bgr& c, std::ostream* os) {
  *os << "bgr(" << int{c.blue} << "," << int{c.green} << "," << int{c.red} << ")";
}

}  // namespace quorel

namespace quorel::test {

inline Bgr Grey(uint8_t v) { return {v, v, v}; }

// Writes `pixel(x, y)` (y from the top) into every pixel of a picture whose
// rows follow the header, `bytes_per_pixel` 3 or 4 (the fourth byte `fourth`).
inline void PaintPixels(PackedDib& dib, int bytes_per_pixel,
                        const std::function<Bgr(int, int)>& pixel, uint8_t fourth = 0) {
  const auto g = CheckGeometry(dib, RowStart::kAfterHeader);
  const DibRows rows(dib.Bytes(), *g);
  for (int y = 0; y < g->height; ++y) {
    const auto row = rows.TopDownRow(y);
    for (int x = 0; x < g->width; ++x) {
      const Bgr c = pixel(x, y);
      uint8_t* at = &row[static_cast<size_t>(x * bytes_per_pixel)];
      at[0] = c.blue;
      at[1] = c.green;
      at[2] = c.red;
      if (bytes_per_pixel == 4) at[3] = fourth;
    }
  }
}

// A 24-bit picture whose pixel at (x, y), y counted from the top, is `pixel(x, y)`.
inline PackedDib MakePicture24(int32_t width, int32_t height,
                               const std::function<Bgr(int, int)>& pixel) {
  auto dib = CreateDib24(width, height);
  EXPECT_TRUE(dib.has_value());
  PaintPixels(*dib, 3, pixel);
  return std::move(*dib);
}

inline PackedDib MakeUniform24(int32_t width, int32_t height, Bgr colour) {
  return MakePicture24(width, height, [&](int, int) { return colour; });
}

// The pixel at (x, y) from the top of a 24-bit picture whose rows follow the
// header.
inline Bgr PixelAt(const PackedDib& dib, int x, int y) {
  const auto g = CheckGeometry(dib, RowStart::kAfterHeader);
  EXPECT_TRUE(g.has_value());
  if (!g) return {};
  const auto row = ConstDibRows(dib.Bytes(), *g).TopDownRow(y);
  return {row[x * 3], row[x * 3 + 1], row[x * 3 + 2]};
}

// A 1-, 4- or 8-bit picture whose pixel (x, y) from the top has index
// `index(x, y)`. Its colour table starts with `palette`; with `clr_used` 0 it
// has the depth's full number of entries (the rest black), otherwise
// `clr_used` entries. Depth 24 with `clr_used` makes a 24-bit picture that
// carries a colour table.
inline PackedDib MakeIndexed(int bit_count, int32_t width, int32_t height,
                             const std::vector<Bgr>& palette,
                             const std::function<int(int, int)>& index, uint32_t clr_used = 0) {
  const uint64_t stride = RowStride(width, bit_count);
  const uint64_t entries = clr_used != 0 ? clr_used : bit_count <= 8 ? (1u << bit_count) : 0;
  auto dib = PackedDib::Allocate(kInfoHeaderSize + entries * 4 + stride * height + 16);
  EXPECT_TRUE(dib.has_value());
  WriteInfoHeader(*dib, width, height, static_cast<uint16_t>(bit_count),
                  static_cast<uint32_t>(stride * height), clr_used);
  auto bytes = dib->Bytes();
  for (size_t i = 0; i < palette.size() && i < entries; ++i) {
    bytes[kInfoHeaderSize + i * 4] = palette[i].blue;
    bytes[kInfoHeaderSize + i * 4 + 1] = palette[i].green;
    bytes[kInfoHeaderSize + i * 4 + 2] = palette[i].red;
  }
  const auto g = CheckGeometry(*dib, RowStart::kAfterPalette);
  EXPECT_TRUE(g.has_value());
  const DibRows rows(bytes, *g);
  for (int y = 0; y < height; ++y) {
    const auto row = rows.TopDownRow(y);
    for (int x = 0; x < width; ++x) {
      const int v = index(x, y);
      if (bit_count == 8) row[x] = static_cast<uint8_t>(v);
      if (bit_count == 4) row[x / 2] |= static_cast<uint8_t>(v << (x % 2 == 0 ? 4 : 0));
      if (bit_count == 1) row[x / 8] |= static_cast<uint8_t>(v << (7 - x % 8));
    }
  }
  return std::move(*dib);
}

// A 32-bit picture (blue, green, red, fourth byte) with rows right after the
// header.
inline PackedDib MakePicture32(int32_t width, int32_t height,
                               const std::function<Bgr(int, int)>& pixel, uint8_t fourth = 0x7F) {
  const uint64_t stride = RowStride(width, 32);
  auto dib = PackedDib::Allocate(kInfoHeaderSize + stride * height);
  EXPECT_TRUE(dib.has_value());
  WriteInfoHeader(*dib, width, height, 32, static_cast<uint32_t>(stride * height));
  PaintPixels(*dib, 4, pixel, fourth);
  return std::move(*dib);
}

}  // namespace quorel::test
