// Quorel — SPDX-License-Identifier: MIT
#include "image/InkLevels.h"

#include <algorithm>

namespace quorel {

InkLevels InkLevelsOf(const ConstDibRows& rows) {
  int darkest = 765;
  int brightest = 0;
  for (int32_t y = 0; y < rows.height(); ++y) {
    const auto row = rows.StoredRow(y);
    for (int32_t x = 0; x < rows.width(); ++x) {
      const int sum = SumAt(row, x);
      darkest = std::min(darkest, sum);
      brightest = std::max(brightest, sum);
    }
  }
  return {darkest, brightest, darkest + (brightest - darkest) / 2};
}

}  // namespace quorel
