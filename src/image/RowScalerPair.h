// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "image/RowScaler.h"

namespace quorel {

// One decode into two scalers, each choosing its own size: every row goes to
// both as it comes, so a picture two outputs are made of is decoded once.
// When both choose one size, one scaler makes it for both (a turned picture's
// sums are the largest part of its memory). The pair takes the picture only
// when both scalers do; when either declines, the pair declines (Begin fails
// with kUnsupported, Declined() is true) and Took(i) still tells whether
// scaler i would have taken it, so that the caller, who then reads the whole
// picture, can make that scaler's picture from it with Resample (the same
// bytes).
class RowScalerPair final : public RowSink {
 public:
  RowScalerPair(RowScaler::ChooseSize first, RowScaler::ChooseSize second);
  RowScalerPair(const RowScalerPair&) = delete;  // the first scaler's choice points here
  RowScalerPair& operator=(const RowScalerPair&) = delete;

  Result<void> Begin(int32_t width, int32_t height, RowOrder order) override;
  Result<void> BeginTurned(int32_t width, int32_t height, Orientation turn) override;
  std::span<uint8_t> Row(int32_t y) override;

  bool Declined() const { return declined_; }
  bool Took(size_t i) const { return begun_ && !scalers_[one_ ? 0 : i].Declined(); }
  // Both scaled pictures, once every source row has been written.
  Result<std::array<PackedDib, 2>> Finish();

 private:
  // Whether the second scaler would choose the first one's size.
  bool SameSize() const;
  // The pair's answer to both scalers' answers to Begin.
  Result<void> Settle(const Result<void>& first, const Result<void>& second);
  // The second scaler takes a copy of the row the first was given, once it is written.
  void PassOn();

  RowScaler::ChooseSize second_choice_;
  std::optional<PictureSize> source_;      // the (upright) size the first scaler was told
  std::optional<PictureSize> first_size_;  // and what it chose
  std::array<RowScaler, 2> scalers_;
  bool one_ = false;  // one size for both: the second scaler is not used
  bool begun_ = false;
  bool declined_ = true;  // until Begin: a reader may fail before it
  std::span<uint8_t> row_;  // the row the first scaler is being written
  int32_t pending_ = -1;
};

}  // namespace quorel
