// Quorel — SPDX-License-Identifier: MIT
#include "image/Orientation.h"

#include <cstring>

#include "image/DibLayout.h"

namespace quorel {
namespace {

// Where the upright pixel (x, y) is found in the stored picture.
constexpr OrientationWalk kWalks[] = {
    {false, false, false},  // 1
    {false, true, false},   // 2
    {false, true, true},    // 3
    {false, false, true},   // 4
    {true, false, false},   // 5: upright (x, y) = stored (y, x)
    {true, true, false},    // 6: upright (x, y) = stored (y, H-1-x)
    {true, true, true},     // 7: upright (x, y) = stored (W-1-y, H-1-x)
    {true, false, true},    // 8: upright (x, y) = stored (W-1-y, x)
};

}  // namespace

std::optional<OrientationWalk> WalkOf(Orientation orientation) {
  const int index = static_cast<int>(orientation) - 1;
  if (index < 0 || index > 7) return std::nullopt;
  return kWalks[index];
}

Result<PackedDib> MakeUpright(const PackedDib& picture, Orientation orientation) {
  const ConstDibRows in = QUOREL_TRY(ConstDibRows::Of(picture));
  if (in.geometry().bit_count != 24) return Status::kBadInput;
  const auto found = WalkOf(orientation);
  if (!found) return Status::kBadInput;
  const OrientationWalk walk = *found;
  const int32_t w = in.width();
  const int32_t h = in.height();
  const int32_t out_w = walk.swap ? h : w;
  const int32_t out_h = walk.swap ? w : h;
  PackedDib out = QUOREL_TRY(CreateDib(out_w, out_h, 24, 0, PixelFill::kNone));
  out.SetField32(DibField::kXPelsPerMeter, picture.Field32(walk.swap ? DibField::kYPelsPerMeter
                                                                     : DibField::kXPelsPerMeter));
  out.SetField32(DibField::kYPelsPerMeter, picture.Field32(walk.swap ? DibField::kXPelsPerMeter
                                                                     : DibField::kYPelsPerMeter));
  const DibRows rows = QUOREL_TRY(DibRows::Of(out));
  for (int32_t y = 0; y < out_h; ++y) {
    uint8_t* dst = rows.TopDownRow(y).data();
    if (!walk.swap) {
      const uint8_t* src = in.TopDownRow(walk.flip_y ? h - 1 - y : y).data();
      if (!walk.flip_x) {
        std::memcpy(dst, src, size_t{3} * static_cast<size_t>(w));
        continue;
      }
      for (int32_t x = 0; x < w; ++x) std::memcpy(dst + 3 * x, src + 3 * (w - 1 - x), 3);
      continue;
    }
    // Upright row y is stored column (flip_y ? W-1-y : y), read down or up.
    const size_t column = 3 * static_cast<size_t>(walk.flip_y ? w - 1 - y : y);
    for (int32_t x = 0; x < out_w; ++x) {
      const int32_t sy = walk.flip_x ? h - 1 - x : x;
      std::memcpy(dst + 3 * x, in.TopDownRow(sy).data() + column, 3);
    }
  }
  return out;
}

}  // namespace quorel
