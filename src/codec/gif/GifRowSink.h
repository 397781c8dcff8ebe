// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "image/DibLayout.h"

namespace quorel {

// What putting decoded indexes into the picture came to.
enum class GifEmit {
  kMore,      // the picture wants more
  kComplete,  // every row is filled
};

// Puts a GIF image's colour indexes, in stream order, into the rows of an
// 8-bit picture: left to right, rows top to bottom, or in the four passes of
// an interlaced image.
class GifRowSink {
 public:
  GifRowSink(const DibRows& rows, bool interlaced);

  // Indexes beyond the last row are dropped.
  GifEmit Put(std::span<const uint8_t> indexes);
  bool Complete() const { return complete_; }

 private:
  // The interlaced passes: rows start, start + step, … of each.
  static constexpr std::array<int32_t, 4> kPassStart{0, 4, 2, 1};
  static constexpr std::array<int32_t, 4> kPassStep{8, 8, 4, 2};

  // Moves to the next row; false when there is none.
  bool NextRow();

  DibRows rows_;
  bool interlaced_;
  size_t pass_ = 0;
  int32_t y_ = 0;  // the row being filled, from the top
  int32_t x_ = 0;
  bool complete_ = false;
};

}  // namespace quorel
