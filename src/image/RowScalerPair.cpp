// Quorel — SPDX-License-Identifier: MIT
#include "image/RowScalerPair.h"

#include <algorithm>

namespace quorel {

Result<void> RowScalerPair::Begin(int32_t width, int32_t height, RowOrder order) {
  const Result<void> first = scalers_[0].Begin(width, height, order);
  return Settle(first, scalers_[1].Begin(width, height, order));
}

Result<void> RowScalerPair::BeginTurned(int32_t width, int32_t height, Orientation turn) {
  const Result<void> first = scalers_[0].BeginTurned(width, height, turn);
  return Settle(first, scalers_[1].BeginTurned(width, height, turn));
}

Result<void> RowScalerPair::Settle(const Result<void>& first, const Result<void>& second) {
  begun_ = true;
  pending_ = -1;
  // A refusal (too large, out of memory) stands: the whole picture would be refused too.
  for (size_t i = 0; i < scalers_.size(); ++i) {
    const Result<void>& begun = i == 0 ? first : second;
    if (!begun && !scalers_[i].Declined()) {
      declined_ = false;
      return begun.status();
    }
  }
  declined_ = scalers_[0].Declined() || scalers_[1].Declined();
  if (declined_) return Status::kUnsupported;
  return {};
}

void RowScalerPair::PassOn() {
  if (pending_ < 0) return;
  const std::span<uint8_t> copy = scalers_[1].Row(pending_);
  std::copy(row_.begin(), row_.end(), copy.begin());
}

std::span<uint8_t> RowScalerPair::Row(int32_t y) {
  // Asking for row y tells that the row before it is written.
  PassOn();
  pending_ = y;
  row_ = scalers_[0].Row(y);
  return row_;
}

Result<std::array<PackedDib, 2>> RowScalerPair::Finish() {
  if (declined_) return Status::kBadInput;
  PassOn();
  pending_ = -1;
  PackedDib first = QUOREL_TRY(scalers_[0].Finish());
  return std::array<PackedDib, 2>{std::move(first), QUOREL_TRY(scalers_[1].Finish())};
}

}  // namespace quorel
