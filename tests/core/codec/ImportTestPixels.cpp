// Quorel — SPDX-License-Identifier: MIT
#include "ImportTestPixels.h"

#include <png.h>

#include <cstdlib>
#include <sstream>

#include "common/LittleEndian.h"
#include "image/DibLayout.h"
#include "support/GiflibDecode.h"
#include "support/TestData.h"

namespace quorel::test {

RgbPixels ReadRgbDump(const std::filesystem::path& path) {
  const auto bytes = ReadFileBytes(path);
  RgbPixels pixels;
  if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "QRGB") return pixels;
  pixels.width = static_cast<int>(LoadLe32(bytes, 4));
  pixels.height = static_cast<int>(LoadLe32(bytes, 8));
  pixels.rgb.assign(bytes.begin() + 12, bytes.end());
  return pixels;
}

RgbPixels PictureRgb(const PackedDib& picture) {
  RgbPixels pixels;
  const auto geometry = CheckGeometry(picture, RowStart::kAfterPalette);
  if (!geometry) return pixels;
  ConstDibRows rows(picture.Bytes(), *geometry);
  pixels.width = geometry->width;
  pixels.height = geometry->height;
  const int bits = geometry->bit_count;
  for (int y = 0; y < geometry->height; ++y) {
    const auto row = rows.TopDownRow(y);
    for (int x = 0; x < geometry->width; ++x) {
      uint8_t bgr[3] = {0, 0, 0};
      if (bits == 24 || bits == 32) {
        const size_t at = static_cast<size_t>(x) * (bits / 8);
        bgr[0] = row[at], bgr[1] = row[at + 1], bgr[2] = row[at + 2];
      } else {
        const int per_byte = 8 / bits;
        const uint8_t byte = row[static_cast<size_t>(x / per_byte)];
        const int shift = 8 - bits * (x % per_byte + 1);
        rows.PaletteColour((byte >> shift) & ((1 << bits) - 1), bgr);
      }
      pixels.rgb.insert(pixels.rgb.end(), {bgr[2], bgr[1], bgr[0]});
    }
  }
  return pixels;
}

std::optional<RgbaPixels> DecodePngRgba(const std::filesystem::path& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_RGBA;
  RgbaPixels pixels{static_cast<int>(image.width), static_cast<int>(image.height),
                    std::vector<uint8_t>(PNG_IMAGE_SIZE(image))};
  if (!png_image_finish_read(&image, nullptr, pixels.rgba.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return pixels;
}

std::optional<RgbPixels> DecodePngReference(const std::filesystem::path& path) {
  const auto png = DecodePngRgba(path);
  if (!png) return std::nullopt;
  RgbPixels pixels{png->width, png->height, {}};
  for (size_t i = 0; i < png->rgba.size(); i += 4) {
    const unsigned alpha = png->rgba[i + 3];
    for (int c = 0; c < 3; ++c) {
      pixels.rgb.push_back(static_cast<uint8_t>((png->rgba[i + c] * alpha + 255 * (255 - alpha) + 127) / 255));
    }
  }
  return pixels;
}

std::optional<RgbPixels> DecodeGifFirstImage(const std::filesystem::path& path, int* image_count) {
  const auto gif = DecodeGifFileWithGiflib(path);
  if (!gif || gif->frames.empty()) return std::nullopt;
  const GiflibFrame& frame = gif->frames[0];
  const auto& table = frame.local_colours.empty() ? gif->colours : frame.local_colours;
  RgbPixels pixels{frame.width, frame.height, {}};
  for (const uint8_t index : frame.indexes) {
    const GifRgb c = index < table.size() ? table[index] : GifRgb{0, 0, 0};  // beyond the table: black, as ours
    pixels.rgb.insert(pixels.rgb.end(), c.begin(), c.end());
  }
  if (image_count) *image_count = static_cast<int>(gif->frames.size());
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
    if (std::abs(actual.rgb[i] - expected.rgb[i]) <= tolerance) continue;
    if (differing++ == 0) {
      const size_t pixel = i / 3;
      out << "first at (" << pixel % static_cast<size_t>(actual.width) << ", "
          << pixel / static_cast<size_t>(actual.width) << ") channel " << i % 3 << ": "
          << int{actual.rgb[i]} << " instead of " << int{expected.rgb[i]};
    }
  }
  if (differing != 0) out << "; " << differing << " samples differ";
  return out.str();
}

}  // namespace quorel::test
