// Quorel — SPDX-License-Identifier: MIT
#include "image/CopyIntoRect.h"

#include <algorithm>

#include "image/DibLayout.h"

namespace quorel {

void CopyIntoRect(PackedDib& destination, const PixelRect& rect, const PackedDib& source) {
  if (rect.left < 0 || rect.top < 0) return;
  const int64_t rect_width = int64_t{rect.right} - rect.left;
  const int64_t rect_height = int64_t{rect.bottom} - rect.top;
  if (rect_width < 1 || rect_height < 1) return;
  if (destination.BitCount() != 24 || source.BitCount() != 24) return;
  const auto dst = DibRows::Of(destination);
  const auto src = ConstDibRows::Of(source);  // rows behind a colour table, if any
  if (!dst || !src) return;

  // A smaller source is centred in the rectangle; then the copy is limited by
  // the destination's edge and by the source's own size.
  int64_t a = rect_width;
  const int64_t x = src->width() < a ? rect.left + (a - src->width()) / 2 : rect.left;
  if (x + a > dst->width()) a = dst->width() - x;
  a = std::min<int64_t>(a, src->width());
  int64_t b = rect_height;
  const int64_t y = src->height() < b ? rect.top + (b - src->height()) / 2 : rect.top;
  if (y + b > dst->height()) b = dst->height() - y;
  b = std::min<int64_t>(b, src->height());
  if (a < 1 || b < 1) return;

  const size_t bytes = static_cast<size_t>(a) * 3;
  for (int64_t r = 0; r < b; ++r) {
    const auto from = src->TopDownRow(static_cast<int32_t>(r)).first(bytes);
    const auto to = dst->TopDownRow(static_cast<int32_t>(y + r)).subspan(static_cast<size_t>(x) * 3, bytes);
    std::copy(from.begin(), from.end(), to.begin());
  }
}

}  // namespace quorel
