// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "common/Buffer.h"
#include "common/Result.h"
#include "output/Mark.h"

namespace quorel {

// NOTE: 16 Mi pixels (64 MiB of RGBA) is far beyond any mark and keeps a
// hostile size setting from taking the memory a full picture may. A mark
// keeps no pixels for a picture beyond it on its own.
inline constexpr int64_t kMaxMarkPicturePixels = int64_t{1} << 24;

// Both pictures of the mark as one transparent PNG, laid out as the block
// lays them out on one line: signature first, left to right, without a gap,
// bottoms on one line (the baseline inline pictures sit on), at `density`
// pixels per layout pixel. Each pixel is its picture's pixel as the browser
// shows it: a GIF's ink opaque and its background clear, a PNG's ink at the
// 16 coverage steps its file holds. 8-bit RGBA, since two inks at many
// coverage levels do not fit one palette. kBadInput for a mark without
// pictures, kTooLarge beyond kMaxMarkPicturePixels.
Result<ByteBuffer> MarkPicture(const Mark& mark, OutputDensity density);

}  // namespace quorel
