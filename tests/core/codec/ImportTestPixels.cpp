// Quorel — SPDX-License-Identifier: MIT
#include "ImportTestPixels.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "common/LittleEndian.h"
#include "image/DibLayout.h"
#include "support/TestData.h"

namespace quorel::test {

RgbPixels FixtureDump(const std::string& folder, const std::string& name) {
  const auto bytes = ReadFileBytes(DataPath(folder + "/" + name + ".rgb"));
  if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "QRGB") return {};
  return {static_cast<int>(LoadLe32(bytes, 4)), static_cast<int>(LoadLe32(bytes, 8)),
          std::vector<uint8_t>(bytes.begin() + 12, bytes.end())};
}

RgbPixels PictureRgb(const PackedDib& picture) {
  const auto rows = ConstDibRows::Of(picture);
  if (!rows) return {};
  RgbPixels pixels{rows->width(), rows->height(), {}};
  const int bits = rows->geometry().bit_count;
  for (int y = 0; y < rows->height(); ++y) {
    const auto row = rows->TopDownRow(y);
    for (int x = 0; x < rows->width(); ++x) {
      const size_t at = static_cast<size_t>(x) * bits / 8;
      const int shift = 8 - bits * (x % (8 / std::min(bits, 8)) + 1);
      const Bgr c = bits >= 24 ? Bgr{row[at], row[at + 1], row[at + 2]}
                               : rows->PaletteColour((row[at] >> shift) & ((1 << bits) - 1));
      pixels.rgb.insert(pixels.rgb.end(), {c.red, c.green, c.blue});
    }
  }
  return pixels;
}

std::string CompareRgb(const RgbPixels& actual, const RgbPixels& expected, int tolerance) {
  std::ostringstream out;
  if (actual.width != expected.width || actual.height != expected.height ||
      actual.rgb.size() != expected.rgb.size()) {
    out << "size " << actual.width << "x" << actual.height << " instead of " << expected.width << "x"
        << expected.height;
    return out.str();
  }
  size_t differing = 0;
  for (size_t i = 0; i < actual.rgb.size(); ++i) {
    if (std::abs(actual.rgb[i] - expected.rgb[i]) <= tolerance || differing++ > 0) continue;
    out << "first at pixel " << i / 3 << " channel " << i % 3 << ": " << int{actual.rgb[i]} << " instead of "
        << int{expected.rgb[i]};
  }
  if (differing != 0) out << "; " << differing << " samples differ";
  return out.str();
}

}  // namespace quorel::test
