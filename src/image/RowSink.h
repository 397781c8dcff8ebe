// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "common/Result.h"
#include "image/DibLayout.h"
#include "image/Orientation.h"
#include "image/PackedDib.h"

namespace quorel {

// The order a reader delivers its rows in.
enum class RowOrder {
  kTopDown,   // row 0, 1, 2, … each written whole, once
  kAnyOrder,  // rows revisited or written in part (interlaced passes)
  kTurnedAfter,  // top-down, but the picture is turned or mirrored once decoded
};

// Where a reader decodes the rows of a 24-bit (blue-green-red) picture: the
// whole picture, or a stage that consumes rows as they come.
class RowSink {
 public:
  virtual ~RowSink() = default;
  // The picture's size, before any row; a failure stops the reader with its
  // status.
  virtual Result<void> Begin(int32_t width, int32_t height, RowOrder order) = 0;
  // The same for top-down rows of a picture that is to be turned upright by
  // `turn` once decoded (width and height as stored). A sink that does not
  // turn rows itself is begun in kTurnedAfter order.
  virtual Result<void> BeginTurned(int32_t width, int32_t height, Orientation turn) {
    return Begin(width, height, turn == Orientation::kTopLeft ? RowOrder::kTopDown : RowOrder::kTurnedAfter);
  }
  // The 3 × width bytes that top-down row y is decoded into. In top-down
  // order, asking for row y tells that every row above it is complete.
  virtual std::span<uint8_t> Row(int32_t y) = 0;
  // How many rows may be asked for before the first of them is written.
  virtual int32_t Window() const { return 1; }
};

// The whole picture, made at Begin, rows in any order.
class PictureSink final : public RowSink {
 public:
  Result<void> Begin(int32_t width, int32_t height, RowOrder order) override;
  std::span<uint8_t> Row(int32_t y) override { return rows_->TopDownRow(y); }
  int32_t Window() const override { return 16; }

  // The picture, once begun.
  std::optional<PackedDib>& Picture() { return picture_; }

 private:
  std::optional<PackedDib> picture_;
  std::optional<DibRows> rows_;
};

}  // namespace quorel
