// Quorel — SPDX-License-Identifier: MIT
#include "codec/gif/PixelReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cassert>

namespace quorel {
namespace {

// The eight pixels of each byte of a 1-bit row, leftmost first.
constexpr auto kExpandedBits = [] {
  std::array<std::array<uint8_t, 8>, 256> table{};
  for (size_t byte = 0; byte < 256; ++byte) {
    for (size_t bit = 0; bit < 8; ++bit) table[byte][bit] = (byte >> (7 - bit)) & 1;
  }
  return table;
}();

}  // namespace

void PixelReader::ReadRow(int32_t y, std::span<uint8_t> indexes) const {
  const auto row = rows_.TopDownRow(y);
  const size_t width = static_cast<size_t>(rows_.geometry().width);
  assert(indexes.size() >= width);
  switch (rows_.geometry().bit_count) {
    case 1: {
      // The most significant bit is the leftmost pixel. Whole bytes expand
      // through a table of eight indexes each; the last byte pixel by pixel.
      const size_t whole = width / 8;
      for (size_t b = 0; b < whole; ++b) {
        std::memcpy(&indexes[8 * b], kExpandedBits[row[b]].data(), 8);
      }
      for (size_t x = 8 * whole; x < width; ++x) indexes[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
      break;
    }
    case 4:
      // The high nibble is the left pixel of each pair.
      for (size_t x = 0; x < width; ++x) {
        indexes[x] = (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
      }
      break;
    case 8:
      std::copy_n(row.begin(), width, indexes.begin());
      break;
    default:
      assert(false && "PixelReader needs 1, 4 or 8 bits per pixel");
  }
}

}  // namespace quorel
