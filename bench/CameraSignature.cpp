// Quorel — SPDX-License-Identifier: MIT
#include "CameraSignature.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace quorel::bench {

using Bytes = std::vector<uint8_t>;

Bytes DrawSignatureRgb(int width, int height) {
  Bytes rgb(static_cast<size_t>(width) * height * 3);
  std::mt19937 random(7);
  std::uniform_int_distribution<int> paper(228, 250);
  for (size_t i = 0; i < rgb.size(); i += 3) rgb[i] = rgb[i + 1] = rgb[i + 2] = static_cast<uint8_t>(paper(random));
  const double pen = height / 150.0;
  for (double t = 0; t < 1; t += 0.2 / width) {
    const double x = width * (0.1 + 0.8 * t) + width * 0.03 * std::cos(40 * t);
    const double y = height * (0.5 + 0.2 * std::sin(37 * t) * std::sin(3 * t));
    for (int dy = -static_cast<int>(pen); dy <= pen; ++dy) {
      for (int dx = -static_cast<int>(pen); dx <= pen; ++dx) {
        const int px = static_cast<int>(x) + dx;
        const int py = static_cast<int>(y) + dy;
        if (px < 0 || py < 0 || px >= width || py >= height || dx * dx + dy * dy > pen * pen) continue;
        uint8_t* p = &rgb[(static_cast<size_t>(py) * width + px) * 3];
        p[0] = 30;
        p[1] = 30;
        p[2] = 40;
      }
    }
  }
  return rgb;
}

void StampSealRgb(Bytes& rgb, int width, int height) {
  const double cx = width * 0.82, cy = height * 0.22, radius = height * 0.12, line = height / 100.0;
  const int x0 = std::max(0, static_cast<int>(cx - radius - line));
  const int x1 = std::min(width, static_cast<int>(cx + radius + line) + 1);
  const int y0 = std::max(0, static_cast<int>(cy - radius - line));
  const int y1 = std::min(height, static_cast<int>(cy + radius + line) + 1);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const double dx = x - cx, dy = y - cy, r = std::hypot(dx, dy);
      const bool ring = std::abs(r - radius) <= line;
      const bool cross = r < radius && (std::abs(dx) <= line / 2 || std::abs(dy) <= line / 2);
      if (!ring && !cross) continue;
      uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = 215;
      p[1] = 55;
      p[2] = 45;
    }
  }
}

bool WriteJpeg(const std::filesystem::path& path, const Bytes& rgb, int width, int height) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(&rgb[static_cast<size_t>(cinfo.next_scanline) * width * 3]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(file) == 0;
}

}  // namespace quorel::bench
