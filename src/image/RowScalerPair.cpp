// Quorel — SPDX-License-Identifier: MIT
#include "image/RowScalerPair.h"

#include <algorithm>

namespace quorel {

RowScalerPair::RowScalerPair(RowScaler::ChooseSize first, RowScaler::ChooseSize second)
    : second_choice_(second),
      scalers_{RowScaler([this, first = std::move(first)](PictureSize size) {
                 source_ = size;
                 first_size_ = first(size);
                 return first_size_;
               }),
               RowScaler(std::move(second))} {}

bool RowScalerPair::SameSize() const {
  return source_ && first_size_ && !scalers_[0].Declined() && second_choice_(*source_) == first_size_;
}

Result<void> RowScalerPair::Begin(int32_t width, int32_t height, RowOrder order) {
  const Result<void> first = scalers_[0].Begin(width, height, order);
  one_ = SameSize();
  return Settle(first, one_ ? first : scalers_[1].Begin(width, height, order));
}

Result<void> RowScalerPair::BeginTurned(int32_t width, int32_t height, Orientation turn) {
  const Result<void> first = scalers_[0].BeginTurned(width, height, turn);
  one_ = SameSize();
  return Settle(first, one_ ? first : scalers_[1].BeginTurned(width, height, turn));
}

Result<void> RowScalerPair::Settle(const Result<void>& first, const Result<void>& second) {
  begun_ = true;
  pending_ = -1;
  // A refusal (too large, out of memory) stands: the whole picture would be refused too.
  for (size_t i = 0; i < scalers_.size(); ++i) {
    const Result<void>& begun = i == 0 ? first : second;
    if (!begun && !scalers_[one_ ? 0 : i].Declined()) {
      declined_ = false;
      return begun.status();
    }
  }
  declined_ = !Took(0) || !Took(1);
  if (declined_) return Status::kUnsupported;
  return {};
}

void RowScalerPair::PassOn() {
  if (pending_ < 0) return;
  const std::span<uint8_t> copy = scalers_[1].Row(pending_);
  std::copy(row_.begin(), row_.end(), copy.begin());
}

std::span<uint8_t> RowScalerPair::Row(int32_t y) {
  if (one_) return scalers_[0].Row(y);
  // Asking for row y tells that the row before it is written.
  PassOn();
  pending_ = y;
  row_ = scalers_[0].Row(y);
  return row_;
}

Result<std::array<PackedDib, 2>> RowScalerPair::Finish() {
  if (declined_) return Status::kBadInput;
  if (!one_) PassOn();
  pending_ = -1;
  PackedDib first = QUOREL_TRY(scalers_[0].Finish());
  PackedDib second = QUOREL_TRY(one_ ? PackedDib::FromBytes(first.Bytes()) : scalers_[1].Finish());
  return std::array<PackedDib, 2>{std::move(first), std::move(second)};
}

}  // namespace quorel
