// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/DibLayout.h"
#include "image/InkLevels.h"
#include "image/PackedDib.h"

namespace quorel {

// How much ink covers each pixel, as a new 8-bit picture of the same size whose
// 256 colour-table entries are greys: index 0 bare paper, 255 full ink. The
// levels are those the two-level reduction separates: the brightest pixel
// (red + green + blue) is the paper, the darkest the ink. Pixels within an
// eighth of that range of either level count as pure paper or pure ink (paper
// grain, scanner noise); between them the coverage rises evenly. It is 128 or
// more exactly where the two-level reduction of the same picture puts ink. A
// picture of one brightness is all ink, as the reduction makes it. Other
// depths than 24 are converted first. kUnsupported or kBadInput as for the conversion.
Result<PackedDib> MeasureCoverage(const PackedDib& picture);

// The same coverage a row at a time, for a picture too large to hold its
// coverage beside it. Borrows the picture, which must outlive it.
class CoverageRows {
 public:
  // kUnsupported unless the picture is 24-bit, kBadInput for a damaged one.
  static Result<CoverageRows> Of(const PackedDib& picture);
  explicit CoverageRows(const ConstDibRows& in);

  int32_t width() const { return in_.width(); }
  int32_t height() const { return in_.height(); }
  // The coverage of stored row `index` (bottom-up) into `alpha`, width() bytes.
  void StoredRow(int32_t index, std::span<uint8_t> alpha) const;

 private:
  ConstDibRows in_;
  InkLevels levels_;
  int full_ = 0;  // at or below: all ink
  int bare_ = 0;  // at or above: bare paper
  int ramp_ = 1;
};

}  // namespace quorel
