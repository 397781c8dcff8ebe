// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <vector>

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
std::vector<Span> AverageColumns(const Plan& plan);
// Adds one source row into the blue-green-red sums of each target column.
void AddRow(std::span<const Span> columns, std::span<const uint8_t> row, std::span<uint64_t> sums);
// The averages of `rows` source rows summed into `sums`.
void WriteAverages(std::span<const Span> columns, Span rows, std::span<const uint64_t> sums,
                   std::span<uint8_t> out);

}  // namespace quorel::resample
