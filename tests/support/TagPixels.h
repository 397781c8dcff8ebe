// Quorel — SPDX-License-Identifier: MIT
#pragma once

// The picture of an image tag as 8-bit RGBA, decoded by libpng or giflib.
#include <png.h>

#include "support/DataUrl.h"
#include "support/GiflibDecode.h"

namespace quorel::test {

struct RgbaPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // top row first, alpha not premultiplied
  const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// A PNG through libpng's simplified reader; 0 × 0 when libpng refuses it.
inline RgbaPicture DecodePng(std::span<const uint8_t> bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return {};
  image.format = PNG_FORMAT_RGBA;
  RgbaPicture out{static_cast<int>(image.width), static_cast<int>(image.height),
                  std::vector<uint8_t>(PNG_IMAGE_SIZE(image))};
  return png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr) ? out : RgbaPicture{};
}

// The first image tag's picture in `html`; a GIF's transparent index as alpha 0.
inline RgbaPicture DecodeTag(std::string_view html) {
  const size_t start = html.find(";base64,") + 8;
  const auto bytes = DecodeBase64(html.substr(start, html.find('"', start) - start)).value_or(std::vector<uint8_t>{});
  if (html.substr(0, start).ends_with("png;base64,")) return DecodePng(bytes);
  const auto gif = DecodeWithGiflib(bytes);
  if (!gif || gif->frames.empty()) return {};
  RgbaPicture out{gif->frames[0].width, gif->frames[0].height, {}};
  for (const uint8_t index : gif->frames[0].indexes) {
    const GifRgb c = gif->colours.at(index);  // our GIFs carry one global table
    out.rgba.insert(out.rgba.end(), {c[0], c[1], c[2], uint8_t(index == gif->transparent_index ? 0 : 255)});
  }
  return out;
}

}  // namespace quorel::test
