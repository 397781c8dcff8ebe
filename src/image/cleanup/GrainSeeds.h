// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// On paper whose grain is coarser than the floor of faint ink may rise to
// (papyrus, handmade paper: the floor is capped there, or the ink would be
// lost), the darkest fibres and stains reach the strong ink's edge too. There
// a piece of strong ink is kept only if a pixel of it is a quarter darker
// than the edge: real strokes have a dark core, the grain does not. On other
// paper nothing changes and nothing is kept. One bit a pixel when grainy.
class GrainSeeds {
 public:
  // `grainy`: the floor of faint ink was capped below what the grain asks.
  static Result<GrainSeeds> For(int32_t width, int32_t height, bool grainy, int edge);

  // Notes pixel (x, y) of darkness `own`, taken for strong ink.
  void Mark(int32_t x, int32_t y, int own) {
    if (own >= level_) seeds_.Set(x, y);
  }

  // Clears each piece (8-connected) of `strong` without a seed in it.
  // kOutOfMemory.
  Result<void> KeepSeeded(InkBits& strong);

 private:
  int level_ = 256;  // never reached: not grainy
  InkBits seeds_;
};

}  // namespace quorel
