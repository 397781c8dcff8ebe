// Quorel — SPDX-License-Identifier: MIT
#include "image/TurnedAverage.h"

#include <algorithm>

namespace quorel {
namespace {

// Beyond this the whole picture is the smaller road: it holds the picture
// twice, as decoded and upright.
constexpr uint64_t kSumBytesPerPictureByte = 2;

// For each index along one upright axis, the box it falls in (-1: none).
Result<Buffer<int64_t>> BoxOf(const Buffer<resample::Span>& spans, int size) {
  Buffer<int64_t> box = QUOREL_TRY(Buffer<int64_t>::Filled(static_cast<size_t>(size), -1));
  for (size_t b = 0; b < spans.size(); ++b) {
    for (int i = spans[b].first; i < spans[b].last; ++i) box[static_cast<size_t>(i)] = static_cast<int64_t>(b);
  }
  return box;
}

}  // namespace

Result<TurnedAverage> TurnedAverage::Create(const resample::Plan& upright, int32_t stored_width,
                                            int32_t stored_height, Orientation turn) {
  const auto walk = WalkOf(turn);
  if (!upright.average || !walk) return Status::kUnsupported;
  const uint64_t sum_bytes = uint64_t{24} * static_cast<uint64_t>(upright.target_width) *
                             static_cast<uint64_t>(upright.target_height);
  const uint64_t picture_bytes = uint64_t{3} * static_cast<uint64_t>(stored_width) * static_cast<uint64_t>(stored_height);
  if (sum_bytes > kSumBytesPerPictureByte * picture_bytes) return Status::kUnsupported;
  TurnedAverage average;
  QUOREL_TRY(average.rows_.Reserve(static_cast<size_t>(upright.target_height)));
  for (int i = 0; i < upright.target_height; ++i) QUOREL_TRY(average.rows_.Push(resample::AverageRows(upright, i)));
  average.columns_ = QUOREL_TRY(resample::AverageColumns(upright));
  // NOTE: Resample sums each source row into one target row only; a target
  // taller than its source would share rows, and the whole picture does that.
  for (size_t i = 1; i < average.rows_.size(); ++i) {
    if (average.rows_[i].first < average.rows_[i - 1].last) return Status::kUnsupported;
  }
  const int64_t row_step = int64_t{3} * upright.target_width;
  {
    // Upright boxes by upright column, and by upright row counted from the top.
    const Buffer<int64_t> by_column = QUOREL_TRY(BoxOf(average.columns_, upright.source_width));
    Buffer<int64_t> by_row = QUOREL_TRY(BoxOf(average.rows_, upright.source_height));
    std::reverse(by_row.begin(), by_row.end());
    auto column_part = [&](int64_t box) { return box < 0 ? -1 : 3 * box; };
    auto row_part = [&](int64_t box) { return box < 0 ? -1 : row_step * box; };
    // A stored column is an upright column, or with the sides swapped an
    // upright row; a stored row the other.
    QUOREL_TRY(average.column_offsets_.Resize(static_cast<size_t>(stored_width)));
    for (int32_t x = 0; x < stored_width; ++x) {
      const int32_t along = walk->swap ? (walk->flip_y ? stored_width - 1 - x : x)
                                       : (walk->flip_x ? stored_width - 1 - x : x);
      average.column_offsets_[static_cast<size_t>(x)] =
          walk->swap ? row_part(by_row[static_cast<size_t>(along)]) : column_part(by_column[static_cast<size_t>(along)]);
    }
    QUOREL_TRY(average.row_offsets_.Resize(static_cast<size_t>(stored_height)));
    for (int32_t y = 0; y < stored_height; ++y) {
      const int32_t along = walk->swap ? (walk->flip_x ? stored_height - 1 - y : y)
                                       : (walk->flip_y ? stored_height - 1 - y : y);
      average.row_offsets_[static_cast<size_t>(y)] =
          walk->swap ? column_part(by_column[static_cast<size_t>(along)]) : row_part(by_row[static_cast<size_t>(along)]);
    }
    QUOREL_TRY(average.sums_.Resize(static_cast<size_t>(sum_bytes / 8)));
  }
  return average;
}

void TurnedAverage::Add(int32_t y, std::span<const uint8_t> row) {
  const int64_t base = row_offsets_[static_cast<size_t>(y)];
  if (base < 0) return;
  uint64_t* sums = sums_.data() + base;
  for (size_t x = 0; x < column_offsets_.size(); ++x) {
    const int64_t at = column_offsets_[x];
    if (at < 0) continue;
    for (size_t c = 0; c < 3; ++c) sums[at + static_cast<int64_t>(c)] += row[3 * x + c];
  }
}

void TurnedAverage::Write(const DibRows& target) const {
  const size_t row_step = 3 * columns_.size();
  for (size_t i = 0; i < rows_.size(); ++i) {
    const std::span<uint8_t> out = target.StoredRow(static_cast<int32_t>(i));
    for (size_t k = 0; k < columns_.size(); ++k) {
      const uint64_t count = static_cast<uint64_t>(rows_[i].last - rows_[i].first) *
                             static_cast<uint64_t>(columns_[k].last - columns_[k].first);
      for (size_t c = 0; c < 3; ++c) out[3 * k + c] = static_cast<uint8_t>(sums_[i * row_step + 3 * k + c] / count);
    }
  }
}

}  // namespace quorel
