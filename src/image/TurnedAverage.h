// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "common/Buffer.h"
#include "common/Result.h"
#include "image/DibLayout.h"
#include "image/Orientation.h"
#include "image/ResampleRows.h"

namespace quorel {

// The box averages that Resample takes of the upright picture, taken instead
// from the stored rows of a picture that is turned or mirrored once decoded,
// in the order they are decoded. Every target pixel keeps the integer sum of
// its box, so the averages are Resample's bytes whatever the order; memory
// is the sums (8 bytes a target byte) and a few indexes a stored row or
// column, never the picture.
class TurnedAverage {
 public:
  // `upright` is the averaging plan of the upright picture. kUnsupported when
  // it interpolates, when target rows would share source rows, when the sums
  // would outweigh the picture's own rows, or for an invalid orientation.
  static Result<TurnedAverage> Create(const resample::Plan& upright, int32_t stored_width,
                                      int32_t stored_height, Orientation turn);

  // Adds stored row y (top row 0): 3 × stored width bytes.
  void Add(int32_t y, std::span<const uint8_t> row);
  // The averages, into a target of the plan's size.
  void Write(const DibRows& target) const;

 private:
  Buffer<resample::Span> rows_;     // per target (stored) row
  Buffer<resample::Span> columns_;  // per target column
  // Where a stored pixel's sums start: a part by its stored column, a part by
  // its stored row; -1 for a pixel outside every box.
  Buffer<int64_t> column_offsets_;
  Buffer<int64_t> row_offsets_;
  Buffer<uint64_t> sums_;
};

}  // namespace quorel
