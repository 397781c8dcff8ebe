// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "image/DibLayout.h"

namespace quorel {

// The brightness of pixel x of a 24-bit row: red + green + blue, 0 to 765.
inline int SumAt(std::span<const uint8_t> row, int32_t x) {
  const size_t at = size_t{3} * static_cast<size_t>(x);
  return row[at] + row[at + 1] + row[at + 2];
}

// The one ink rule of every stage (the two-level reduction, the coverage of
// the PNG output, the trimmed margins): over a 24-bit picture's brightness
// sums, the darkest is the ink and the brightest the paper, and a pixel is
// ink when it lies at or below half-way between them, so a pale pen on white
// paper still separates. A picture of one brightness is all ink.
struct InkLevels {
  int darkest = 0;    // the smallest sum in the picture
  int brightest = 0;  // the largest
  int threshold = 0;  // darkest + (brightest - darkest) / 2

  bool IsInk(int sum) const { return sum <= threshold; }
};

// The levels of a picture whose rows are 24-bit.
InkLevels InkLevelsOf(const ConstDibRows& rows);

}  // namespace quorel
