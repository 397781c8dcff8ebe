// Quorel — SPDX-License-Identifier: MIT
#include "output/MarkPicture.h"

#include <algorithm>
#include <new>

#include "codec/png/PngWriter.h"
#include "image/DibLayout.h"
#include "image/PackedDib.h"

namespace quorel {
namespace {

constexpr int kStepWidth = 17;  // the 16 alpha steps of the coverage PNG (PngLayout::kIndexedSteps)

// The alpha of one made pixel as its file shows it.
uint8_t AlphaAt(const MarkImage& image, std::span<const uint8_t> row, int32_t x) {
  if (image.format == OutputFormat::kGif) return (row[x / 8] >> (7 - x % 8) & 1) == 0 ? 255 : 0;  // entry 0: ink
  return static_cast<uint8_t>((row[x] + kStepWidth / 2) / kStepWidth * kStepWidth);
}

// Paints the picture into its slot of `width` × `height` canvas pixels whose
// bottom left is (left, bottom). NOTE: a picture made at fewer pixels than the
// slot (a small source at 2×) is sampled nearest, as a browser would stretch it.
Result<void> Paint(const MarkImage& image, int32_t left, int32_t width, int32_t height, int32_t canvas_width,
                   int32_t canvas_height, ByteBuffer& rgba) {
  const ConstDibRows rows = QUOREL_TRY(ConstDibRows::Of(*image.pixels));
  const int32_t top = canvas_height - height;
  for (int32_t y = 0; y < height; ++y) {
    const auto row = rows.TopDownRow(static_cast<int32_t>(int64_t{y} * rows.height() / height));
    uint8_t* out = &rgba[(static_cast<size_t>(top + y) * canvas_width + left) * 4];
    for (int32_t x = 0; x < width; ++x, out += 4) {
      const uint8_t alpha = AlphaAt(image, row, static_cast<int32_t>(int64_t{x} * rows.width() / width));
      if (alpha == 0) continue;
      out[0] = RedOf(image.ink);
      out[1] = GreenOf(image.ink);
      out[2] = BlueOf(image.ink);
      out[3] = alpha;
    }
  }
  return {};
}

}  // namespace

Result<ByteBuffer> MarkPicture(const Mark& mark, OutputDensity density) {
  const int64_t scale = static_cast<int64_t>(density);
  int64_t width = 0;
  int64_t height = 0;
  for (const auto& image : mark.images) {
    if (!image) continue;
    width += image->width * scale;
    height = std::max<int64_t>(height, image->height * scale);
  }
  if (width == 0 || height == 0) return Status::kBadInput;
  if (width * height > kMaxMarkPicturePixels) return Status::kTooLarge;
  for (const auto& image : mark.images) {
    if (image && !image->pixels) return Status::kBadInput;
  }
  ByteBuffer rgba = QUOREL_TRY(ByteBuffer::Filled(static_cast<size_t>(width * height) * 4));
  int64_t left = 0;
  for (const auto& image : mark.images) {
    if (!image) continue;
    QUOREL_TRY(Paint(*image, static_cast<int32_t>(left), static_cast<int32_t>(image->width * scale),
                     static_cast<int32_t>(image->height * scale), static_cast<int32_t>(width),
                     static_cast<int32_t>(height), rgba));
    left += image->width * scale;
  }
  return EncodeRgbaPng(static_cast<int32_t>(width), static_cast<int32_t>(height), rgba);
}

}  // namespace quorel
