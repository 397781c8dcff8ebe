// Quorel — SPDX-License-Identifier: MIT
#pragma once

// Pixels as the eye sees them, to compare our codecs with independent ones.

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>
#include "codec/Decoded.h"
#include "common/LittleEndian.h"
#include "image/DibLayout.h"
#include "support/TestData.h"

namespace quorel::test {

// A reader's picture without its completeness, for comparing pixels.
inline Result<PackedDib> PictureOf(Result<Decoded> decoded) {
  return decoded ? Result<PackedDib>(std::move(decoded->picture)) : decoded.status();
}

struct RgbPixels {  // red, green, blue triples, top row first
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

// tests/data/<folder>/<name>.rgb by make_fixtures.py: "QRGB", width, height (u32 LE), another decoder's
// pixels.
inline RgbPixels FixtureDump(const std::string& folder, const std::string& name) {
  const auto bytes = ReadFileBytes(DataPath(folder + "/" + name + ".rgb"));
  if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "QRGB") return {};
  return {int(LoadLe32(bytes, 4)), int(LoadLe32(bytes, 8)), {bytes.begin() + 12, bytes.end()}};
}

// A picture of 1, 4, 8, 24 or 32 bits with its colour table looked up.
inline RgbPixels PictureRgb(const PackedDib& picture) {
  const auto rows = ConstDibRows::Of(picture);
  if (!rows) return {};
  RgbPixels pixels{rows->width(), rows->height(), {}};
  const int bits = rows->geometry().bit_count;
  for (int y = 0; y < rows->height(); ++y) {
    for (int x = 0; x < rows->width(); ++x) {
      const auto at = rows->TopDownRow(y).subspan(size_t(x) * bits / 8);
      const int shift = 8 - bits * (x % (8 / std::min(bits, 8)) + 1);
      const Bgr c = bits >= 24 ? Bgr{at[0], at[1], at[2]}
                               : rows->PaletteColour((at[0] >> shift) & ((1 << bits) - 1));
      pixels.rgb.insert(pixels.rgb.end(), {c.red, c.green, c.blue});
    }
  }
  return pixels;
}

// GIF codes (value, width in bits) packed least-significant bit first.
inline std::vector<uint8_t> PackCodes(const std::vector<std::pair<int, int>>& codes) {
  std::vector<uint8_t> out;
  uint32_t bits = 0;
  int count = 0;
  for (const auto& [code, width] : codes) {
    bits |= uint32_t(code) << count;
    for (count += width; count >= 8; count -= 8, bits >>= 8) out.push_back(uint8_t(bits));
  }
  if (count > 0) out.push_back(uint8_t(bits));
  return out;
}

// Empty when equal within `tolerance`; otherwise the first differing sample and how many differ.
inline std::string CompareRgb(const RgbPixels& actual, const RgbPixels& expected, int tolerance = 0) {
  const bool same_size = actual.width == expected.width && actual.height == expected.height;
  if (!same_size || actual.rgb.size() != expected.rgb.size()) {
    return "size " + std::to_string(actual.width) + "x" + std::to_string(actual.height);
  }
  std::ostringstream out;
  size_t differing = 0;
  for (size_t i = 0; i < actual.rgb.size(); ++i) {
    if (std::abs(actual.rgb[i] - expected.rgb[i]) > tolerance && differing++ == 0) {
      out << "sample " << i << ": " << int{actual.rgb[i]} << " instead of " << int{expected.rgb[i]};
    }
  }
  if (differing != 0) out << "; " << differing << " differ";
  return out.str();
}

}  // namespace quorel::test
