// Quorel — SPDX-License-Identifier: MIT
#include "codec/gif/GifRowSink.h"

namespace quorel {

GifRowSink::GifRowSink(const DibRows& rows, bool interlaced) : rows_(rows), interlaced_(interlaced) {}

bool GifRowSink::NextRow() {
  if (!interlaced_) return ++y_ < rows_.height();
  y_ += kPassStep[pass_];
  while (y_ >= rows_.height()) {
    if (++pass_ == kPassStart.size()) return false;
    y_ = kPassStart[pass_];
  }
  return true;
}

GifEmit GifRowSink::Put(std::span<const uint8_t> indexes) {
  if (complete_) return GifEmit::kComplete;
  for (const uint8_t index : indexes) {
    rows_.TopDownRow(y_)[static_cast<size_t>(x_)] = index;
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
