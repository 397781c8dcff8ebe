// Quorel — SPDX-License-Identifier: MIT
#pragma once

// Small pictures built pixel by pixel for the scaling, panel and output tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "image/DibLayout.h"
#include "image/PackedDib.h"

namespace quorel {

inline void PrintTo(const Bgr& c, std::ostream* os) {
  *os << "bgr(" << int{c.blue} << "," << int{c.green} << "," << int{c.red} << ")";
}

}  // namespace quorel

namespace quorel::test {

inline Bgr Grey(uint8_t v) { return {v, v, v}; }

// A 24-bit picture whose pixel at (x, y), y counted from the top, is `pixel(x, y)`.
inline PackedDib MakePicture24(int32_t width, int32_t height, const std::function<Bgr(int, int)>& pixel) {
  PackedDib dib = CreateDib(width, height, 24).value();
  const DibRows rows = DibRows::Of(dib).value();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Bgr c = pixel(x, y);
      std::ranges::copy(std::array{c.blue, c.green, c.red}, &rows.TopDownRow(y)[static_cast<size_t>(3 * x)]);
    }
  }
  return dib;
}

// The picture with one header field changed (biBitCount is 16 bits wide, the others 32).
inline PackedDib WithField(PackedDib dib, DibField field, uint32_t value) {
  field == DibField::kBitCount ? dib.SetField16(field, static_cast<uint16_t>(value)) : dib.SetField32(field, value);
  return dib;
}

inline PackedDib MakeUniform24(int32_t width, int32_t height, Bgr colour) {
  return MakePicture24(width, height, [&](int, int) { return colour; });
}

// The pixel at (x, y) from the top of a 24-bit picture (rows behind its table).
inline Bgr PixelAt(const PackedDib& dib, int x, int y) {
  const auto rows = ConstDibRows::Of(dib);
  EXPECT_TRUE(rows.ok());
  if (!rows) return {};
  const auto row = rows->TopDownRow(y);
  return {row[x * 3], row[x * 3 + 1], row[x * 3 + 2]};
}

// A 1-, 4- or 8-bit picture whose pixel (x, y) from the top has index
// `index(x, y)`, with `entries` colour-table entries (0: the depth's full
// number) that start with `palette`. Depth 24 with `entries` makes a 24-bit
// picture that carries a colour table; `index` then gives the blue byte.
inline PackedDib MakeIndexed(int bit_count, int32_t width, int32_t height,
                             const std::vector<Bgr>& palette,
                             const std::function<int(int, int)>& index, uint32_t entries = 0) {
  if (entries == 0 && bit_count <= 8) entries = 1u << bit_count;
  PackedDib dib = CreateDib(width, height, bit_count, entries).value();
  auto bytes = dib.Bytes();
  for (size_t i = 0; i < palette.size() && i < entries; ++i) {
    bytes[kInfoHeaderSize + i * 4] = palette[i].blue;
    bytes[kInfoHeaderSize + i * 4 + 1] = palette[i].green;
    bytes[kInfoHeaderSize + i * 4 + 2] = palette[i].red;
  }
  const DibRows rows = DibRows::Of(dib).value();
  for (int y = 0; y < height; ++y) {
    const auto row = rows.TopDownRow(y);
    for (int x = 0; x < width; ++x) {
      const int v = index(x, y);
      if (bit_count == 24) row[3 * x] = static_cast<uint8_t>(v);
      if (bit_count == 8) row[x] = static_cast<uint8_t>(v);
      if (bit_count == 4) row[x / 2] |= static_cast<uint8_t>(v << (x % 2 == 0 ? 4 : 0));
      if (bit_count == 1) row[x / 8] |= static_cast<uint8_t>(v << (7 - x % 8));
    }
  }
  return dib;
}

}  // namespace quorel::test
