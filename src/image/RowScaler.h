// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "common/ByteBuffer.h"
#include "image/ResampleRows.h"
#include "image/RowSink.h"
#include "image/TurnedAverage.h"

namespace quorel {

struct PictureSize {
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const PictureSize&) const = default;
};

// Scales rows as a reader decodes them, top row first, into the picture that
// Resample would make of the whole picture, byte for byte, while holding only
// the one or two source rows the current target row needs. A picture turned
// upright once decoded is scaled as the upright picture would be, when the
// scaling averages (TurnedAverage). The target size is chosen once the
// (upright) source size is known; when there is none, or the rows do not come
// in an order the scaler takes, it declines (Begin fails with kUnsupported and
// Declined() is true, as it is when Begin was never called) and the caller
// reads the whole picture instead.
class RowScaler final : public RowSink {
 public:
  using ChooseSize = std::function<std::optional<PictureSize>(PictureSize source)>;
  explicit RowScaler(ChooseSize choose) : choose_(std::move(choose)) {}

  Result<void> Begin(int32_t width, int32_t height, RowOrder order) override;
  Result<void> BeginTurned(int32_t width, int32_t height, Orientation turn) override;
  std::span<uint8_t> Row(int32_t y) override;

  bool Declined() const { return declined_; }
  // The scaled picture, once every source row has been written.
  Result<PackedDib> Finish();

 private:
  // The target size for a source (upright) size, or none: the scaler declines.
  std::optional<PictureSize> Choose(int32_t width, int32_t height);
  // The target and the source rows' room, once the plan is made.
  Result<void> Prepare(PictureSize size, int32_t row_width, int rows);
  void Complete(int source_row);  // a stored source row, all its bytes written

  ChooseSize choose_;
  bool declined_ = true;  // until Begin takes the picture: a reader may fail before it
  resample::Plan plan_{};
  std::optional<PackedDib> target_;
  std::optional<DibRows> target_rows_;
  ByteBuffer ring_;            // two source rows: a row and the one above it
  size_t row_bytes_ = 0;
  std::optional<resample::BoxSums> sums_;  // of the target row being averaged
  int next_target_ = -1;       // the stored target row made next (top first)
  int pending_ = -1;           // the stored source row being written, -1 before the first
  std::optional<TurnedAverage> turned_;  // a turned picture's sums, its rows counted top-down
  int32_t turned_rows_ = 0;
};

}  // namespace quorel
