// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstdint>

#include "common/Buffer.h"
#include "common/Result.h"

namespace quorel {

// Where a pen crosses a seal stamped over or under it, the pen's pixels may
// keep the seal's hue, only darker: the seal alone is stamped at one depth.
// Such a pixel is the pen's by the halfway rule at the stroke's scale, taken
// against the seal: its drop (how far its lightest channel lies under the
// seal's typical one) is at least half the largest drop of the seal's hue
// within reach, and that largest drop is a stroke's core, at least
// kCoreShare of the seal's light. So the pen's blurred edge under the seal
// joins its core however deep the seal hides the pen. Kept for the rows a
// look at the picture holds (a ring of `span` rows); nothing at all without
// a seal.
class PenOverSeal {
 public:
  static constexpr float kCoreShare = 0.25f;

  // `seal_light`: the seal's typical lightest channel (white-paper
  // relative), 0 for no seal. kOutOfMemory.
  static Result<PenOverSeal> Create(int32_t width, int32_t span, int32_t reach, float seal_light);
  bool active() const { return seal_light_ > 0; }

  // Row y of the ring, cleared; then Note each pixel of it of the seal's
  // hue, then Finish it.
  uint8_t* Start(int32_t y);
  void Note(uint8_t* row, int32_t x, float lightest) {
    row[x] = static_cast<uint8_t>(std::clamp(seal_light_ - lightest, 0.0f, 255.0f));
    first_ = std::min(first_, x);
    last_ = std::max(last_, x);
  }
  void Finish(int32_t y);
  // Whether pixel (x, y), of the seal's hue, is the pen's; rows top …
  // bottom (y within reach of each) finished.
  bool Holds(int32_t x, int32_t y, int32_t top, int32_t bottom) const;

 private:
  PenOverSeal(int32_t width, int32_t span, int32_t reach, float seal_light)
      : width_(width), span_(span), reach_(reach), seal_light_(seal_light) {}
  size_t Slot(int32_t y) const { return static_cast<size_t>(y % span_) * width_; }

  int32_t width_;
  int32_t span_;
  int32_t reach_;
  float seal_light_;
  int core_ = 0;
  // The pixels noted in the row started last lie in [first_, last_]: most
  // rows miss the seal, and the seal is a small part of the others.
  int32_t first_ = 0;
  int32_t last_ = -1;
  Buffer<uint8_t> drop_;  // span_ rows: each pixel's drop
  Buffer<uint8_t> peak_;  // the same: the largest drop within reach along the row
};

}  // namespace quorel
