// Quorel — SPDX-License-Identifier: MIT
#include "panel/UprightPictureSink.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "panel/ImagePanel.h"

namespace quorel {

Result<void> UprightPictureSink::Allocate(int32_t width, int32_t height) {
  if (width < kMinPictureSide || height < kMinPictureSide) return Status::kUnsupported;
  // NOTE: not zero-filled: every pixel is written, as into a PictureSink.
  PackedDib picture = QUOREL_TRY(CreateDib(width, height, 24, 0, PixelFill::kNone));
  rows_ = QUOREL_TRY(DibRows::Of(picture));
  picture_ = std::move(picture);
  return {};
}

Result<void> UprightPictureSink::Begin(int32_t width, int32_t height, RowOrder order) {
  if (order == RowOrder::kTurnedAfter) return Status::kUnsupported;  // turned by whom is not known
  return Allocate(width, height);
}

Result<void> UprightPictureSink::BeginTurned(int32_t width, int32_t height, Orientation turn) {
  if (turn == Orientation::kTopLeft) return Begin(width, height, RowOrder::kTopDown);
  const std::optional<OrientationWalk> walk = WalkOf(turn);
  if (!walk) return Status::kUnsupported;
  QUOREL_TRY(walk->swap ? Allocate(height, width) : Allocate(width, height));
  ring_ = QUOREL_TRY(AllocateZeroed(uint64_t{3} * static_cast<uint64_t>(width) * 2 * kBlockRows));
  walk_ = walk;
  stored_width_ = width;
  stored_height_ = height;
  return {};
}

std::span<uint8_t> UprightPictureSink::RingRow(int32_t y) {
  const size_t row_bytes = size_t{3} * static_cast<size_t>(stored_width_);
  return std::span(ring_).subspan(static_cast<size_t>(y % (2 * kBlockRows)) * row_bytes, row_bytes);
}

std::span<uint8_t> UprightPictureSink::Row(int32_t y) {
  if (!walk_) return rows_->TopDownRow(y);
  // A reader asks for rows top-down, at most kBlockRows ahead of the first
  // it has not written: asking for row y tells that every row up to
  // y - kBlockRows is complete, and the ring still holds them.
  while (y >= placed_ + 2 * kBlockRows - 1) {
    Place(placed_, kBlockRows);
    placed_ += kBlockRows;
  }
  return RingRow(y);
}

void UprightPictureSink::Place(int32_t first, int32_t count) {
  const OrientationWalk walk = *walk_;
  const int32_t w = stored_width_;
  const int32_t h = stored_height_;
  if (!walk.swap) {
    // Stored row sy is upright row (flip_y ? h-1-sy : sy), mirrored by flip_x.
    for (int32_t sy = first; sy < first + count; ++sy) {
      const uint8_t* src = RingRow(sy).data();
      uint8_t* dst = rows_->TopDownRow(walk.flip_y ? h - 1 - sy : sy).data();
      if (!walk.flip_x) {
        std::memcpy(dst, src, size_t{3} * static_cast<size_t>(w));
        continue;
      }
      for (int32_t x = 0; x < w; ++x) std::memcpy(dst + 3 * x, src + 3 * (w - 1 - x), 3);
    }
    return;
  }
  // Stored column sx is upright row (flip_y ? w-1-sx : sx); stored row sy is
  // upright column (flip_x ? h-1-sy : sy), so a block of stored rows lands as
  // a run of neighbouring pixels in each upright row.
  std::array<const uint8_t*, kBlockRows> src{};
  for (int32_t i = 0; i < count; ++i) src[static_cast<size_t>(i)] = RingRow(first + i).data();
  for (int32_t sx = 0; sx < w; ++sx) {
    uint8_t* dst = rows_->TopDownRow(walk.flip_y ? w - 1 - sx : sx).data();
    for (int32_t i = 0; i < count; ++i) {
      const int32_t sy = first + i;
      const int32_t x = walk.flip_x ? h - 1 - sy : sy;
      std::memcpy(dst + 3 * x, src[static_cast<size_t>(i)] + 3 * sx, 3);
    }
  }
}

PackedDib UprightPictureSink::Finish() && {
  if (walk_) {
    for (; placed_ < stored_height_; placed_ += kBlockRows) {
      Place(placed_, std::min(kBlockRows, stored_height_ - placed_));
    }
  }
  return std::move(*picture_);
}

}  // namespace quorel
