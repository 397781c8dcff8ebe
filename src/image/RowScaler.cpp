// Quorel — SPDX-License-Identifier: MIT
#include "image/RowScaler.h"

#include <algorithm>

namespace quorel {

Result<void> RowScaler::Begin(int32_t width, int32_t height, RowOrder order) {
  const auto size = order == RowOrder::kTopDown ? choose_({width, height}) : std::nullopt;
  declined_ = !size || size->width < 1 || size->height < 1 || width < 1 || height < 1;
  if (declined_) return Status::kUnsupported;
  // Refused as the whole picture would be, before anything is allocated.
  if (int64_t{width} * height > kMaxPixels ||
      RowStride(width, 24) * uint64_t(height) + kInfoHeaderSize > kMaxBlockBytes) {
    return Status::kTooLarge;
  }
  plan_ = resample::MakePlan(width, height, size->width, size->height);
  if (plan_.average) {
    // NOTE: each source row is added to one target row only; a target taller
    // than its source shares rows between target rows, which the whole
    // picture does better.
    for (int i = 1; i < plan_.target_height && !declined_; ++i) {
      declined_ = resample::AverageRows(plan_, i).first < resample::AverageRows(plan_, i - 1).last;
    }
    if (declined_) return Status::kUnsupported;
    sums_ = QUOREL_TRY(resample::BoxSums::Create(plan_));
  }
  row_bytes_ = size_t{3} * static_cast<size_t>(width);
  auto ring = AllocateZeroed(2 * uint64_t{row_bytes_});
  if (!ring) return Status::kOutOfMemory;
  ring_ = std::move(*ring);
  target_ = QUOREL_TRY(CreateDib(size->width, size->height, 24, 0, PixelFill::kNone));
  target_rows_ = QUOREL_TRY(DibRows::Of(*target_));
  next_target_ = size->height - 1;
  pending_ = -1;
  return {};
}

std::span<uint8_t> RowScaler::Row(int32_t y) {
  const int source_row = plan_.source_height - 1 - y;
  if (pending_ >= 0) Complete(pending_);
  pending_ = source_row;
  return std::span(ring_).subspan(static_cast<size_t>(source_row % 2) * row_bytes_, row_bytes_);
}

void RowScaler::Complete(int s) {
  const auto ring = std::span<const uint8_t>(ring_);
  const auto row = ring.subspan(static_cast<size_t>(s % 2) * row_bytes_, row_bytes_);
  if (!plan_.average) {
    // Target rows come down from the top: each starts from row s once s and
    // the row above it are both here.
    const auto above = s + 1 < plan_.source_height
                           ? ring.subspan(static_cast<size_t>((s + 1) % 2) * row_bytes_, row_bytes_) : row;
    for (; next_target_ >= 0 && resample::InterpolationRow(plan_, next_target_) >= s; --next_target_) {
      resample::InterpolateRow(plan_, next_target_, row, above, target_rows_->StoredRow(next_target_));
    }
    return;
  }
  if (next_target_ < 0) return;
  const resample::Span rows = resample::AverageRows(plan_, next_target_);
  if (s >= rows.last) return;  // above every remaining target row
  sums_->Add(row);
  if (s > rows.first) return;
  sums_->Write(rows, target_rows_->StoredRow(next_target_));
  --next_target_;
}

Result<PackedDib> RowScaler::Finish() {
  if (declined_ || !target_ || pending_ != 0) return Status::kBadInput;  // rows missing
  Complete(0);
  pending_ = -1;
  if (next_target_ >= 0) return Status::kBadInput;
  return std::move(*target_);
}

}  // namespace quorel
