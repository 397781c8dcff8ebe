// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>

#include "common/ByteBuffer.h"
#include "image/DibLayout.h"
#include "image/Orientation.h"
#include "image/RowSink.h"

namespace quorel {

// The whole 24-bit picture of a new panel picture, decoded straight into its
// upright layout: a picture to be turned once decoded has each block of rows
// placed where MakeUpright would put it, so no second whole picture is made.
// Declines (Begin fails with kUnsupported, Begun() stays false) a picture
// under 16 pixels a side, which a panel keeps as it comes in its own depth.
class UprightPictureSink final : public RowSink {
 public:
  Result<void> Begin(int32_t width, int32_t height, RowOrder order) override;
  Result<void> BeginTurned(int32_t width, int32_t height, Orientation turn) override;
  std::span<uint8_t> Row(int32_t y) override;
  int32_t Window() const override { return kBlockRows; }

  bool Begun() const { return picture_.has_value(); }
  // Whether the upright picture's sides are the stored picture's swapped.
  bool Swapped() const { return walk_ && walk_->swap; }
  // The upright picture, once every row has been written.
  PackedDib Finish() &&;

 private:
  static constexpr int32_t kBlockRows = 16;
  Result<void> Allocate(int32_t width, int32_t height);
  // Stored rows first to first + count - 1, complete in the ring, into the
  // upright picture.
  void Place(int32_t first, int32_t count);
  std::span<uint8_t> RingRow(int32_t y);

  std::optional<PackedDib> picture_;
  std::optional<DibRows> rows_;
  // A turned picture only: its walk, its stored size, a ring of the last
  // 2 × kBlockRows stored rows asked for (row y at y mod 2 × kBlockRows),
  // and how many stored rows are placed.
  std::optional<OrientationWalk> walk_;
  int32_t stored_width_ = 0;
  int32_t stored_height_ = 0;
  ByteBuffer ring_;
  int32_t placed_ = 0;
};

}  // namespace quorel
