// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/PenOverSeal.h"

#include <algorithm>
#include <cmath>

namespace quorel {

Result<PenOverSeal> PenOverSeal::Create(int32_t width, int32_t span, int32_t reach, float seal_light) {
  PenOverSeal pen(width, span, reach, seal_light);
  if (!pen.active()) return pen;
  pen.core_ = std::max(1, static_cast<int>(std::ceil(kCoreShare * seal_light)));
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(span);
  QUOREL_TRY(pen.drop_.Resize(size));
  QUOREL_TRY(pen.peak_.Resize(size));
  return pen;
}

uint8_t* PenOverSeal::Start(int32_t y) {
  uint8_t* row = &drop_[Slot(y)];
  std::fill_n(row, width_, uint8_t{0});
  first_ = width_;
  last_ = -1;
  return row;
}

void PenOverSeal::Finish(int32_t y) {
  const uint8_t* row = &drop_[Slot(y)];
  uint8_t* peak = &peak_[Slot(y)];
  std::fill_n(peak, width_, uint8_t{0});
  for (int32_t x = first_; x <= last_; ++x) {
    if (row[x] == 0) continue;
    const int32_t end = std::min(width_ - 1, x + reach_);
    for (int32_t xx = std::max(0, x - reach_); xx <= end; ++xx) peak[xx] = std::max(peak[xx], row[x]);
  }
}

bool PenOverSeal::Holds(int32_t x, int32_t y, int32_t top, int32_t bottom) const {
  const int own = drop_[Slot(y) + x];
  if (own == 0) return false;
  int peak = 0;
  for (int32_t yy = top; yy <= bottom; ++yy) peak = std::max<int>(peak, peak_[Slot(yy) + x]);
  return peak >= core_ && 2 * own >= peak;
}

}  // namespace quorel
