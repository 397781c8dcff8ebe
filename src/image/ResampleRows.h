// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/Buffer.h"
#include "common/Result.h"
#include "image/ExactDivisor.h"

namespace quorel::resample {

// The one computation behind Resample and RowScaler, one target row at a
// time, so that scaling a whole picture and scaling rows as they are decoded
// give the same bytes. Indexes are stored (bottom-up) row indexes.

// The source range [first, last) averaged into one target index.
struct Span {
  int first;
  int last;
};

// Sizes and ratios of one scaling; `average` when the source is more than
// twice as wide as the target (only the horizontal ratio decides).
struct Plan {
  int source_width, source_height, target_width, target_height;
  double dx, dy;
  bool average;
};
Plan MakePlan(int source_width, int source_height, int target_width, int target_height);

// Interpolation: the source row that target row i starts from; the row above
// it (j + 1) is used too while it exists.
int InterpolationRow(const Plan& plan, int i);
// Target row i from source rows j = InterpolationRow(i) and j + 1 (`above`,
// the same as `row` at the top of the source).
void InterpolateRow(const Plan& plan, int i, std::span<const uint8_t> row,
                    std::span<const uint8_t> above, std::span<uint8_t> out);

// Averaging: the source rows of target row i, and the source columns of every
// target column.
Span AverageRows(const Plan& plan, int i);
Result<Buffer<Span>> AverageColumns(const Plan& plan);

// The sums of one averaging box, taken in the one order both scalers use:
// each source row's bytes down their columns first (a loop the compiler
// vectorises; 16-bit sums while every box is at most 257 rows tall, as
// 255 × 257 still fits them, else 32-bit), then across each target column's
// span once per target row. The integer sums, and so the averages, do not
// depend on how the rows arrive.
class BoxSums {
 public:
  // kOutOfMemory when the sums cannot be allocated.
  static Result<BoxSums> Create(const Plan& plan);
  // Adds one source row (3 × source width bytes) of the current box.
  void Add(std::span<const uint8_t> row);
  // Target row `out` as the averages of the box's `rows`; the sums start again.
  void Write(Span rows, std::span<uint8_t> out);

 private:
  static constexpr int kMaxShortRows = 257;

  // The 32-bit column sums folded into the target columns' 64-bit sums,
  // before a box taller than 2^24 rows could overflow them.
  void Fold();

  Buffer<Span> columns_;
  Buffer<ExactDivisor> by_width_;  // per target column: its span's width
  bool widths_multiply_ = true;    // every one of them by a multiply
  // Per source byte, of the rows_ added since the last fold: one of the two.
  Buffer<uint16_t> short_sums_;
  Buffer<uint32_t> column_sums_;
  Buffer<uint64_t> sums_;  // per target byte, folded
  uint32_t rows_ = 0;
  bool folded_ = false;
};

}  // namespace quorel::resample
