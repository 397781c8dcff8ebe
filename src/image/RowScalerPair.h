// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "image/RowScaler.h"

namespace quorel {

// One decode into two scalers, each choosing its own size: every row goes to
// both as it comes, so a picture two outputs are made of is decoded once. It
// takes the picture only when both scalers do; when either declines, the pair
// declines (Begin fails with kUnsupported, Declined() is true) and Took(i)
// still tells whether scaler i would have taken it, so that the caller, who
// then reads the whole picture, can make that scaler's picture from it with
// Resample (the same bytes).
class RowScalerPair final : public RowSink {
 public:
  RowScalerPair(RowScaler::ChooseSize first, RowScaler::ChooseSize second)
      : scalers_{RowScaler(std::move(first)), RowScaler(std::move(second))} {}

  Result<void> Begin(int32_t width, int32_t height, RowOrder order) override;
  Result<void> BeginTurned(int32_t width, int32_t height, Orientation turn) override;
  std::span<uint8_t> Row(int32_t y) override;

  bool Declined() const { return declined_; }
  bool Took(size_t i) const { return begun_ && !scalers_[i].Declined(); }
  // Both scaled pictures, once every source row has been written.
  Result<std::array<PackedDib, 2>> Finish();

 private:
  // The pair's answer to both scalers' answers to Begin.
  Result<void> Settle(const Result<void>& first, const Result<void>& second);
  // The second scaler takes a copy of the row the first was given, once it is written.
  void PassOn();

  std::array<RowScaler, 2> scalers_;
  bool begun_ = false;
  bool declined_ = true;  // until Begin: a reader may fail before it
  std::span<uint8_t> row_;  // the row the first scaler is being written
  int32_t pending_ = -1;
};

}  // namespace quorel
