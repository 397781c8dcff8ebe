// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

// A 24-bit picture from rows of red-green-blue-alpha bytes, top row first,
// `width` × 4 bytes a row without padding (what a browser's canvas gives for a
// format it decodes and the core does not): transparency is composited over
// white as the PNG reader does. kBadInput when the sides are not positive or
// the bytes are not exactly the rows; kTooLarge beyond the pixels a reader
// decodes; kOutOfMemory.
Result<PackedDib> PictureFromRgba(std::span<const uint8_t> rgba, int32_t width, int32_t height);

}  // namespace quorel
