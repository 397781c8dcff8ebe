// Quorel — SPDX-License-Identifier: MIT
#pragma once

// The pictures of image tags as 8-bit RGBA, decoded by libpng and giflib.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quorel::test {

struct RgbaPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // top row first, alpha not premultiplied
  const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// A PNG through libpng's simplified reader; empty (0 × 0) when libpng refuses it.
RgbaPicture DecodePng(std::span<const uint8_t> bytes);
// The first frame of a GIF through giflib, its transparent index as alpha 0.
RgbaPicture DecodeGif(std::span<const uint8_t> bytes);
// The picture of the first image tag in `html` (GIF or PNG data URL).
RgbaPicture DecodeTag(std::string_view html);

}  // namespace quorel::test
