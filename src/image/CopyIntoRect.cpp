// Quorel — SPDX-License-Identifier: MIT
#include "image/CopyIntoRect.h"

#include <algorithm>
#include <cstring>

#include "image/DibLayout.h"

namespace quorel {

void CopyIntoRect(PackedDib& destination, const PixelRect& rect, const PackedDib& source) {
  if (rect.left < 0 || rect.top < 0) return;
  const int64_t rect_width = int64_t{rect.right} - rect.left;
  const int64_t rect_height = int64_t{rect.bottom} - rect.top;
  if (rect_width < 1 || rect_height < 1) return;
  if (destination.BitCount() != 24 || source.BitCount() != 24) return;
  const auto dg = CheckGeometry(destination, RowStart::kAfterHeader);
  const auto sg = CheckGeometry(source, RowStart::kAfterHeader);
  if (!dg || !sg) return;

  // A smaller source is centred in the rectangle; then the copy is limited by
  // the destination's edge and by the source's own size.
  int64_t a = rect_width;
  const int64_t x = sg->width < a ? rect.left + (a - sg->width) / 2 : rect.left;
  if (x + a > dg->width) a = dg->width - x;
  a = std::min<int64_t>(a, sg->width);
  int64_t b = rect_height;
  const int64_t y = sg->height < b ? rect.top + (b - sg->height) / 2 : rect.top;
  if (y + b > dg->height) b = dg->height - y;
  b = std::min<int64_t>(b, sg->height);
  if (a < 1 || b < 1) return;

  const ConstDibRows src(source.Bytes(), *sg);
  const DibRows dst(destination.Bytes(), *dg);
  const size_t bytes = static_cast<size_t>(a) * 3;
  for (int64_t r = 0; r < b; ++r) {
    const auto from = src.TopDownRow(static_cast<int32_t>(r)).first(bytes);
    const auto to = dst.TopDownRow(static_cast<int32_t>(y + r)).subspan(static_cast<size_t>(x) * 3, bytes);
    std::memcpy(to.data(), from.data(), bytes);
  }
}

}  // namespace quorel
