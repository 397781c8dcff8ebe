// Quorel — SPDX-License-Identifier: MIT
#include "image/DibPrimitives.h"

#include <algorithm>

#include "image/DibLayout.h"

namespace quorel {

void FillDib(PackedDib& dib, Bgr colour) {
  if (dib.BitCount() != 24) return;
  const auto rows = DibRows::Of(dib);
  if (!rows) return;
  // The first row pixel by pixel, then whole-row copies.
  const auto first = rows->StoredRow(0);
  for (int32_t x = 0; x < rows->width(); ++x) {
    first[3 * x] = colour.blue;
    first[3 * x + 1] = colour.green;
    first[3 * x + 2] = colour.red;
  }
  const size_t pixel_bytes = 3 * static_cast<size_t>(rows->width());
  for (int32_t y = 1; y < rows->height(); ++y) {
    std::copy_n(first.begin(), pixel_bytes, rows->StoredRow(y).begin());
  }
}

}  // namespace quorel
