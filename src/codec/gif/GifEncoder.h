// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

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

// Writes the frames as one GIF file. kCannotOpen (also for an error reported
// when the file is closed), kBadInput, kOutOfMemory or kFrameMismatch; after a
// failure the partial file stays on disk (nothing is touched when there is no
// frame).
Result<void> EncodeGifFile(const GifEncodeRequest& request, const std::filesystem::path& path);

}  // namespace quorel
