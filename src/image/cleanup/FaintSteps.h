// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "common/Result.h"
#include "image/DibLayout.h"
#include "image/cleanup/InkBits.h"
#include "image/cleanup/PaperLight.h"

namespace quorel {

// The ink before faint pieces with no strong pixel are added to it (as
// words, as strokes found at a stroke's scale on a page with no ink against
// the grain, or as a faint pen's track), so that those that are the edge of
// a soft shadow or a fold can be taken out again: along the inner side of
// such an edge the paper estimate, smooth by design, lags behind the shadow,
// and a band a little darker than it runs as long as a word. A stroke is
// darker than the picture on both sides; the band only toward the paper, the
// shadow beyond it as dark. Memory: a bit a pixel.
class FaintSteps {
 public:
  // kOutOfMemory.
  static Result<FaintSteps> Before(const InkBits& ink);
  // Clears each piece added to `ink` since (8-connected) of which under half
  // the pixels are strokes: along some way, a pixel lighter than it (on the
  // pixel's own paper, each read as the mean of its 3 × 3 square: pieces this
  // faint are barely out of the noise, and one pixel's noise on a shadow's
  // side would pass for paper) on both sides within `reach`, or twice the
  // ink's stroke width if that is more; beyond the picture counts as
  // lighter. Work: a pass over the mask, and up to 8 looks a pixel added for
  // each pixel of that reach, 9 reads a look. kOutOfMemory.
  Result<void> Clear(InkBits& ink, const ConstDibRows& picture, const PaperLight& light, int32_t reach) const;

 private:
  explicit FaintSteps(InkBits before) : before_(std::move(before)) {}
  InkBits before_;
};

}  // namespace quorel
