// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "image/DibLayout.h"

namespace quorel {

// Yields the colour indexes of a 1-, 4- or 8-bit picture in GIF order: rows
// from the top of the picture down (the last stored row first), each from left
// to right. Row padding is never read.
class PixelReader {
 public:
  // `rows` must have a checked geometry of 1, 4 or 8 bits per pixel.
  explicit PixelReader(const ConstDibRows& rows) : rows_(rows) {}

  int32_t width() const { return rows_.geometry().width; }
  int32_t height() const { return rows_.geometry().height; }

  // Unpacks picture row `y` (0 = top) into `indexes`, which holds width() bytes.
  void ReadRow(int32_t y, std::span<uint8_t> indexes) const;

 private:
  ConstDibRows rows_;
};

}  // namespace quorel
