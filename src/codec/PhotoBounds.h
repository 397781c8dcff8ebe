// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

// NOTE: a photo format's decoder allocates its whole frame from the declared
// size before it has decoded a byte, so the file must first prove the size:
// at most 16384 pixels for each byte of the file. A phone photo holds one
// byte for every 2–20 pixels; a blank page in the best lossless coding about
// one for every few thousand; a 200-byte file declaring 16384 × 16384 pixels
// is refused before anything picture-sized exists.
inline constexpr int64_t kMaxPixelsPerFileByte = int64_t{1} << 14;

// kTooLarge for a declared size beyond the readers' cap or beyond what the
// file's length can hold; kUnsupported for an empty one.
inline Result<void> CheckDeclaredPhotoSize(int64_t width, int64_t height, size_t file_bytes) {
  if (width <= 0 || height <= 0) return Status::kUnsupported;
  if (width > kMaxPixels || height > kMaxPixels || width * height > kMaxDecodedPixels) return Status::kTooLarge;
  if (width * height > static_cast<int64_t>(file_bytes) * kMaxPixelsPerFileByte) return Status::kTooLarge;
  return {};
}

// The order of the colour bytes a library hands out.
enum class ChannelOrder { kRgb, kBgr };

// One row of 3- or 4-byte pixels into a 24-bit blue-green-red row, pixels
// with alpha composited over white (as the PNG reader does, so a signature on
// a transparent background reads as ink on paper).
// The row is `width` pixels long; `out` holds at least 3 × width bytes.
inline void PutRowOverWhite(const uint8_t* in, int width, int channels, ChannelOrder order, std::span<uint8_t> out) {
  const int red = order == ChannelOrder::kRgb ? 0 : 2, blue = 2 - red;
  const size_t end = std::min(out.size(), size_t{3} * static_cast<size_t>(width));
  for (size_t x = 0; x + 2 < end; x += 3, in += channels) {
    const unsigned alpha = channels == 4 ? in[3] : 255;
    const uint8_t bgr[3] = {in[blue], in[1], in[red]};
    for (int c = 0; c < 3; ++c) {
      out[x + c] = alpha == 255 ? bgr[c] : static_cast<uint8_t>((bgr[c] * alpha + 255 * (255 - alpha) + 127) / 255);
    }
  }
}

}  // namespace quorel
