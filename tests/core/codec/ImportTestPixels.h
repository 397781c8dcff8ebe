// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "image/PackedDib.h"

namespace quorel::test {

// Pixels as red, green, blue triples, top row first.
struct RgbPixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;

  const uint8_t* At(int x, int y) const { return &rgb[3 * (static_cast<size_t>(y) * width + x)]; }
};

// A reference dump made by tests/data/make_fixtures.py: "QRGB", width, height
// (32-bit little-endian), then the pixels.
RgbPixels ReadRgbDump(const std::filesystem::path& path);

// A picture of 1, 4, 8, 24 or 32 bits as seen on screen (palette looked up).
RgbPixels PictureRgb(const PackedDib& picture);

// A PNG decoded by libpng's simplified reader: red, green, blue, alpha.
struct RgbaPixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};
std::optional<RgbaPixels> DecodePngRgba(const std::filesystem::path& path);
// The same composited over white with the PNG reader's rounding.
std::optional<RgbPixels> DecodePngReference(const std::filesystem::path& path);

// The first image of a GIF as giflib decodes it (its own size, its local or
// the global colour table); none when giflib cannot read the whole file.
// `image_count` receives the number of images in the file.
std::optional<RgbPixels> DecodeGifFirstImage(const std::filesystem::path& path, int* image_count = nullptr);

// Empty when equal; otherwise where and how they first differ, and how many
// samples differ by more than `tolerance`.
std::string CompareRgb(const RgbPixels& actual, const RgbPixels& expected, int tolerance = 0);

}  // namespace quorel::test
