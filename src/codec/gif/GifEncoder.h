// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "common/Buffer.h"
#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

struct GifFrame {
  const PackedDib* picture = nullptr;  // 1, 4 or 8 bits per pixel, bottom-up
  uint16_t delay = 0;                  // hundredths of a second
};

struct GifEncodeRequest {
  int32_t transparent_index = -1;  // negative: no transparent colour
  std::vector<GifFrame> frames;    // the frame count is frames.size()
};

// The frames as the bytes of one GIF file, made in memory. kBadInput (no
// frame, a frame that cannot be coded), kOutOfMemory or kFrameMismatch.
Result<ByteBuffer> EncodeGif(const GifEncodeRequest& request);

}  // namespace quorel
