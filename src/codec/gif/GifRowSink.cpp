// Quorel — SPDX-License-Identifier: MIT
#include "codec/gif/GifRowSink.h"

#include <algorithm>

namespace quorel {

GifRowSink::GifRowSink(const DibRows& rows, bool interlaced)
    : rows_(rows), height_(rows.height()), interlaced_(interlaced) {}

GifRowSink::GifRowSink(const DibRows& line, int32_t height, std::function<void(int32_t)> row_done)
    : rows_(line), height_(height), row_done_(std::move(row_done)), interlaced_(false) {}

bool GifRowSink::NextRow() {
  if (row_done_) {
    row_done_(y_);
    const auto line = rows_.StoredRow(0);
    std::fill(line.begin(), line.end(), 0);
  }
  if (!interlaced_) return ++y_ < height_;
  y_ += kPassStep[pass_];
  while (y_ >= height_) {
    if (++pass_ == kPassStart.size()) return false;
    y_ = kPassStart[pass_];
  }
  return true;
}

void GifRowSink::HandOnTheRest() {
  if (!row_done_ || complete_) return;
  while (NextRow()) {
  }
}

GifEmit GifRowSink::Put(std::span<const uint8_t> indexes) {
  if (complete_) return GifEmit::kComplete;
  for (const uint8_t index : indexes) {
    rows_.TopDownRow(row_done_ ? 0 : y_)[static_cast<size_t>(x_)] = index;
    if (++x_ < rows_.width()) continue;
    x_ = 0;
    if (!NextRow()) {
      complete_ = true;
      return GifEmit::kComplete;
    }
  }
  return GifEmit::kMore;
}

}  // namespace quorel
