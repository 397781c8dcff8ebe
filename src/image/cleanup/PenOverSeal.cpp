// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/PenOverSeal.h"

#include <algorithm>
#include <cmath>

namespace quorel {

Result<PenOverSeal> PenOverSeal::Create(int32_t width, int32_t span, float seal_light) {
  PenOverSeal pen(width, span, seal_light);
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
  return row;
}

void PenOverSeal::Finish(int32_t y, RunningMax& running) {
  const uint8_t* row = &drop_[Slot(y)];
  running.Run([&](int32_t x) { return row[x]; }, &peak_[Slot(y)]);
}

bool PenOverSeal::Holds(int32_t x, int32_t y, int32_t top, int32_t bottom) const {
  const int own = drop_[Slot(y) + x];
  if (own == 0) return false;
  int peak = 0;
  for (int32_t yy = top; yy <= bottom; ++yy) peak = std::max<int>(peak, peak_[Slot(yy) + x]);
  return peak >= core_ && 2 * own >= peak;
}

}  // namespace quorel
