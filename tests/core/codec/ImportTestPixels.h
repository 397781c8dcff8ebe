// Quorel — SPDX-License-Identifier: MIT
#pragma once

// Pixels as the eye sees them, to compare our readers with independent decoders.

#include <cstdint>
#include <string>
#include <vector>

#include "image/PackedDib.h"

namespace quorel::test {

// Red, green, blue triples, top row first.
struct RgbPixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

// tests/data/<folder>/<name>.rgb, made by make_fixtures.py: "QRGB", width and
// height (u32 LE), then the pixels another decoder gave.
RgbPixels FixtureDump(const std::string& folder, const std::string& name);

// A picture of 1, 4, 8, 24 or 32 bits with its colour table looked up.
RgbPixels PictureRgb(const PackedDib& picture);

// Empty when equal within `tolerance`; otherwise where they first differ and how many samples do.
std::string CompareRgb(const RgbPixels& actual, const RgbPixels& expected, int tolerance = 0);

}  // namespace quorel::test
