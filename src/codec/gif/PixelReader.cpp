// Quorel — SPDX-License-Identifier: MIT
#include "codec/gif/PixelReader.h"

#include <algorithm>
#include <cassert>

namespace quorel {

void PixelReader::ReadRow(int32_t y, std::span<uint8_t> indexes) const {
  const auto row = rows_.TopDownRow(y);
  const size_t width = static_cast<size_t>(rows_.geometry().width);
  assert(indexes.size() >= width);
  switch (rows_.geometry().bit_count) {
    case 1:
      // The most significant bit is the leftmost pixel.
      for (size_t x = 0; x < width; ++x) indexes[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
      break;
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
