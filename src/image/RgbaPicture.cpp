// Quorel — SPDX-License-Identifier: MIT
#include "image/RgbaPicture.h"

#include "image/DibLayout.h"
#include "image/OverWhite.h"

namespace quorel {

Result<PackedDib> PictureFromRgba(std::span<const uint8_t> rgba, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return Status::kBadInput;
  const int64_t pixels = int64_t{width} * height;
  if (pixels > kMaxDecodedPixels) return Status::kTooLarge;
  if (rgba.size() != static_cast<uint64_t>(pixels) * 4) return Status::kBadInput;
  PackedDib picture = QUOREL_TRY(CreateDib(width, height, 24, 0, PixelFill::kNone));
  const DibRows rows = QUOREL_TRY(DibRows::Of(picture));
  const size_t row_bytes = size_t{4} * static_cast<size_t>(width);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = rgba.data() + row_bytes * static_cast<size_t>(y);
    uint8_t* out = rows.TopDownRow(y).data();
    for (int32_t x = 0; x < width; ++x, in += 4, out += 3) {
      // Blue-green-red in the picture, as every reader leaves it.
      out[0] = OverWhite(in[2], in[3]);
      out[1] = OverWhite(in[1], in[3]);
      out[2] = OverWhite(in[0], in[3]);
    }
  }
  return picture;
}

}  // namespace quorel
