// Quorel — SPDX-License-Identifier: MIT
#include "image/RowScaler.h"

#include <algorithm>

namespace quorel {

namespace {

// Refused as the whole picture would be, before anything is allocated.
bool TooLarge(int32_t width, int32_t height) {
  return int64_t{width} * height > kMaxPixels ||
         RowStride(width, 24) * uint64_t(height) + kInfoHeaderSize > kMaxBlockBytes;
}

}  // namespace

std::optional<PictureSize> RowScaler::Choose(int32_t width, int32_t height) {
  const auto size = choose_({width, height});
  declined_ = !size || size->width < 1 || size->height < 1 || width < 1 || height < 1;
  return declined_ ? std::nullopt : size;
}

Result<void> RowScaler::Begin(int32_t width, int32_t height, RowOrder order) {
  turned_.reset();
  declined_ = true;
  const auto size = order == RowOrder::kTopDown ? Choose(width, height) : std::nullopt;
  if (!size) return Status::kUnsupported;
  if (TooLarge(width, height)) return Status::kTooLarge;
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
  return Prepare(*size, width, 2);
}

Result<void> RowScaler::BeginTurned(int32_t width, int32_t height, Orientation turn) {
  if (turn == Orientation::kTopLeft) return Begin(width, height, RowOrder::kTopDown);
  turned_.reset();
  declined_ = true;
  const auto walk = WalkOf(turn);
  if (!walk) return Status::kUnsupported;
  const int32_t upright_width = walk->swap ? height : width;
  const int32_t upright_height = walk->swap ? width : height;
  const auto size = Choose(upright_width, upright_height);
  if (!size) return Status::kUnsupported;
  if (TooLarge(width, height) || TooLarge(upright_width, upright_height)) return Status::kTooLarge;
  plan_ = resample::MakePlan(upright_width, upright_height, size->width, size->height);
  // Interpolation takes neighbouring upright pixels in Resample's own order:
  // the whole picture does that.
  auto average = TurnedAverage::Create(plan_, width, height, turn);
  if (!average) {
    declined_ = average.status() == Status::kUnsupported;
    return average.status();
  }
  turned_ = std::move(*average);
  turned_rows_ = height;
  return Prepare(*size, width, 1);
}

Result<void> RowScaler::Prepare(PictureSize size, int32_t row_width, int rows) {
  row_bytes_ = size_t{3} * static_cast<size_t>(row_width);
  auto ring = AllocateZeroed(static_cast<uint64_t>(rows) * row_bytes_);
  if (!ring) return Status::kOutOfMemory;
  ring_ = std::move(*ring);
  target_ = QUOREL_TRY(CreateDib(size.width, size.height, 24, 0, PixelFill::kNone));
  target_rows_ = QUOREL_TRY(DibRows::Of(*target_));
  next_target_ = size.height - 1;
  pending_ = -1;
  return {};
}

std::span<uint8_t> RowScaler::Row(int32_t y) {
  if (turned_) {
    // One stored row at a time, added once the next is asked for.
    if (pending_ >= 0) turned_->Add(pending_, ring_);
    pending_ = y;
    return ring_;
  }
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
  if (turned_) {
    if (declined_ || !target_ || pending_ != turned_rows_ - 1) return Status::kBadInput;  // rows missing
    turned_->Add(pending_, ring_);
    pending_ = -1;
    turned_->Write(*target_rows_);
    return std::move(*target_);
  }
  if (declined_ || !target_ || pending_ != 0) return Status::kBadInput;  // rows missing
  Complete(0);
  pending_ = -1;
  if (next_target_ >= 0) return Status::kBadInput;
  return std::move(*target_);
}

}  // namespace quorel
