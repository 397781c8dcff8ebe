// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <functional>
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
// an interlaced image. Or, for a reader that hands rows on, into one row that
// each row of a non-interlaced image passes through.
class GifRowSink {
 public:
  GifRowSink(const DibRows& rows, bool interlaced);
  // Rows top to bottom through the one row of `line`: `row_done(y)` once
  // row y (from the top) is in it, and then the line is cleared for the next.
  GifRowSink(const DibRows& line, int32_t height, std::function<void(int32_t)> row_done);

  // Indexes beyond the last row are dropped.
  GifEmit Put(std::span<const uint8_t> indexes);
  bool Complete() const { return complete_; }
  // For the one-row line of an image whose data ended early: hands on the
  // row being filled and every row below it, the indexes the data did not
  // reach 0 (as in a whole picture, made zero).
  void HandOnTheRest();

 private:
  // The interlaced passes: rows start, start + step, … of each.
  static constexpr std::array<int32_t, 4> kPassStart{0, 4, 2, 1};
  static constexpr std::array<int32_t, 4> kPassStep{8, 8, 4, 2};

  // Moves to the next row; false when there is none.
  bool NextRow();

  DibRows rows_;
  int32_t height_;
  std::function<void(int32_t)> row_done_;  // set for the one-row line
  bool interlaced_;
  size_t pass_ = 0;
  int32_t y_ = 0;  // the row being filled, from the top
  int32_t x_ = 0;
  bool complete_ = false;
};

}  // namespace quorel
