// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/TrimMargins.h"

#include <algorithm>
#include <cstring>

#include "image/DibLayout.h"
#include "image/InkLevels.h"

namespace quorel {
namespace {

constexpr int32_t kMinMargin = 2;
constexpr int32_t kMarginPercent = 2;

}  // namespace

Result<PixelRect> FindInkRect(const PackedDib& picture) {
  const ConstDibRows in = QUOREL_TRY(ConstDibRows::Of(picture));
  if (in.geometry().bit_count != 24) return Status::kBadInput;
  const int32_t w = in.width();
  const int32_t h = in.height();
  const PixelRect whole{0, 0, w, h};
  const InkLevels levels = InkLevelsOf(in);
  if (levels.darkest == levels.brightest) return whole;
  PixelRect ink{w, h, 0, 0};
  for (int32_t y = 0; y < h; ++y) {
    const auto row = in.TopDownRow(y);
    for (int32_t x = 0; x < w; ++x) {
      if (!levels.IsInk(SumAt(row, x))) continue;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x + 1);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y + 1);
    }
  }
  return WithMargin(ink, w, h);
}

PixelRect WithMargin(const PixelRect& ink, int32_t width, int32_t height) {
  const int32_t side = std::max(ink.right - ink.left, ink.bottom - ink.top);
  const int32_t margin = std::max(kMinMargin, (side * kMarginPercent + 50) / 100);
  return PixelRect{std::max(0, ink.left - margin), std::max(0, ink.top - margin),
                   std::min(width, ink.right + margin), std::min(height, ink.bottom + margin)};
}

Result<PackedDib> TrimMargins(const PackedDib& picture) {
  const PixelRect rect = QUOREL_TRY(FindInkRect(picture));
  const ConstDibRows in = QUOREL_TRY(ConstDibRows::Of(picture));
  if (rect.left == 0 && rect.top == 0 && rect.right == in.width() && rect.bottom == in.height()) {
    return PackedDib::FromBytes(picture.Bytes());
  }
  const int32_t w = rect.right - rect.left;
  const int32_t h = rect.bottom - rect.top;
  PackedDib out = QUOREL_TRY(CreateDib(w, h, 24));
  out.SetField32(DibField::kXPelsPerMeter, picture.Field32(DibField::kXPelsPerMeter));
  out.SetField32(DibField::kYPelsPerMeter, picture.Field32(DibField::kYPelsPerMeter));
  const DibRows rows = QUOREL_TRY(DibRows::Of(out));
  for (int32_t y = 0; y < h; ++y) {
    std::memcpy(rows.TopDownRow(y).data(), in.TopDownRow(rect.top + y).data() + 3 * rect.left,
                size_t{3} * static_cast<size_t>(w));
  }
  return out;
}

}  // namespace quorel
