// Quorel — SPDX-License-Identifier: MIT
#include "support/TagPixels.h"

#include <png.h>

#include <cstring>

#include "support/DataUrl.h"
#include "support/GiflibDecode.h"

namespace quorel::test {

RgbaPicture DecodePng(std::span<const uint8_t> bytes) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return {};
  image.format = PNG_FORMAT_RGBA;
  RgbaPicture out{static_cast<int>(image.width), static_cast<int>(image.height), {}};
  out.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) return {};
  return out;
}

RgbaPicture DecodeGif(std::span<const uint8_t> bytes) {
  const auto gif = DecodeWithGiflib(bytes);
  if (!gif || gif->frames.empty()) return {};
  const GiflibFrame& frame = gif->frames[0];
  const auto& colours = frame.local_colours.empty() ? gif->colours : frame.local_colours;
  RgbaPicture out{frame.width, frame.height, {}};
  for (const uint8_t index : frame.indexes) {
    const GifRgb c = index < colours.size() ? colours[index] : GifRgb{};
    const uint8_t alpha = index == frame.transparent_index ? 0 : 255;
    out.rgba.insert(out.rgba.end(), {c[0], c[1], c[2], alpha});
  }
  return out;
}

RgbaPicture DecodeTag(std::string_view html) {
  const size_t start = html.find(";base64,");
  if (start == std::string_view::npos) return {};
  const size_t end = html.find('"', start);
  const auto bytes = DecodeBase64(html.substr(start + 8, end - start - 8)).value_or(std::vector<uint8_t>{});
  return html.substr(0, start).ends_with("png") ? DecodePng(bytes) : DecodeGif(bytes);
}

}  // namespace quorel::test
