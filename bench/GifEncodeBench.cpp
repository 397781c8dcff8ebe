// Quorel — SPDX-License-Identifier: MIT
// Encodes a thresholded pen signature as GIF, with our encoder and with giflib
// (EGifPutLine) as the reference, at camera size and at output size.
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "codec/gif/GifEncoder.h"
#include "image/DibLayout.h"
#include "image/DibPrimitives.h"
#include "image/TwoLevel.h"

namespace quorel::bench {
namespace {

using Bytes = std::vector<uint8_t>;

// A grey picture of a cursive signature: a looping pen stroke with soft edges
// and varying pressure, and an underline, on white paper.
Bytes DrawSignature(int width, int height, uint32_t seed) {
  Bytes grey(static_cast<size_t>(width) * height, 250);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> paper(238, 255);
  for (auto& g : grey) g = static_cast<uint8_t>(paper(random));  // paper texture
  const double pen = std::max(1.2, height / 220.0);
  auto stamp = [&](double cx, double cy, double radius, double ink) {
    const int x0 = std::max(0, static_cast<int>(cx - radius - 1));
    const int x1 = std::min(width - 1, static_cast<int>(cx + radius + 1));
    const int y0 = std::max(0, static_cast<int>(cy - radius - 1));
    const int y1 = std::min(height - 1, static_cast<int>(cy + radius + 1));
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        const double d = std::hypot(x - cx, y - cy);
        const double cover = std::clamp(radius + 0.5 - d, 0.0, 1.0);
        const auto value = static_cast<uint8_t>(255 - cover * ink);
        uint8_t& g = grey[static_cast<size_t>(y) * width + x];
        g = std::min(g, value);
      }
    }
  };
  auto stroke = [&](auto&& at, double steps) {
    for (double i = 0; i <= steps; ++i) {
      const double t = i / steps;
      double x, y;
      at(t, x, y);
      const double pressure = 0.7 + 0.3 * std::sin(9 * t + 1);
      stamp(x, y, pen * pressure, 215);
    }
  };
  const double pi = std::numbers::pi;
  const double loops = 11;
  // The name: loops travelling to the right, their height wandering.
  stroke([&](double t, double& x, double& y) {
    const double phase = 2 * pi * loops * t;
    const double size = height * (0.16 + 0.06 * std::sin(3.1 * t + 0.4));
    x = width * (0.08 + 0.80 * t) + size * 0.55 * std::cos(phase);
    y = height * (0.45 - 0.08 * t) - size * std::sin(phase) + height * 0.04 * std::sin(17 * t);
  }, loops * 2 * pi * height * 0.2 / (pen * 0.5));
  // The underline with a flourish.
  stroke([&](double t, double& x, double& y) {
    x = width * (0.12 + 0.78 * t);
    y = height * (0.78 + 0.05 * std::sin(2.5 * pi * t));
  }, width * 0.8 / (pen * 0.5));
  return grey;
}

std::optional<PackedDib> GreyToDib24(const Bytes& grey, int width, int height) {
  auto dib = CreateDib(width, height, 24);
  if (!dib) return std::nullopt;
  const DibRows rows = DibRows::Of(*dib).value();
  for (int y = 0; y < height; ++y) {
    const auto row = rows.TopDownRow(y);
    for (int x = 0; x < width; ++x) {
      const uint8_t g = grey[static_cast<size_t>(y) * width + x];
      row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = g;
    }
  }
  return std::move(*dib);
}

// The colour indexes of a 1-bit picture, top row first: giflib's input.
std::vector<Bytes> IndexRows(const PackedDib& dib) {
  const ConstDibRows rows = ConstDibRows::Of(dib).value();
  std::vector<Bytes> out(static_cast<size_t>(rows.height()));
  for (int32_t y = 0; y < rows.height(); ++y) {
    const auto bits = rows.TopDownRow(y);
    for (int32_t x = 0; x < rows.width(); ++x) {
      out[y].push_back((bits[x / 8] >> (7 - x % 8)) & 1);
    }
  }
  return out;
}

// The same file with giflib: screen, comment, graphic control, image, lines.
bool EncodeWithGiflib(const std::vector<Bytes>& rows, int width, const PackedDib& dib,
                      const std::string& path) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  if (!gif) return false;
  GifColorType colours[2];
  for (int i = 0; i < 2; ++i) {
    const auto b = dib.Bytes();
    colours[i] = {b[40 + 4 * i + 2], b[40 + 4 * i + 1], b[40 + 4 * i]};
  }
  ColorMapObject* map = GifMakeMapObject(2, colours);
  bool ok = EGifPutScreenDesc(gif, width, static_cast<int>(rows.size()), 8, 0, map) == GIF_OK &&
            EGifPutComment(gif, "KVT") == GIF_OK;
  GraphicsControlBlock gcb{DISPOSE_BACKGROUND, false, 0, 1};
  GifByteType extension[4];
  EGifGCBToExtension(&gcb, extension);
  ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK &&
       EGifPutImageDesc(gif, 0, 0, width, static_cast<int>(rows.size()), false, nullptr) == GIF_OK;
  for (size_t y = 0; ok && y < rows.size(); ++y) {
    ok = EGifPutLine(gif, const_cast<GifPixelType*>(rows[y].data()), width) == GIF_OK;
  }
  GifFreeMapObject(map);
  return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

// Reads a GIF back with giflib and compares its pixels with the rows.
bool DecodesTo(const std::string& path, const std::vector<Bytes>& rows) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (!gif) return false;
  bool same = DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1;
  for (size_t y = 0; same && y < rows.size(); ++y) {
    same = std::equal(rows[y].begin(), rows[y].end(),
                      gif->SavedImages[0].RasterBits + y * rows[y].size());
  }
  DGifCloseFile(gif, &error);
  return same;
}

int Run(int width, int height, int runs, int repeat, const std::filesystem::path& folder) {
  const std::string name = "gif_encode_" + std::to_string(width) + "x" + std::to_string(height);
  const auto picture = GreyToDib24(DrawSignature(width, height, 42), width, height);
  if (!picture) return 1;
  const Colour ink = MakeColour(0, 0, 0);
  const auto reduced = ReduceToTwoLevels(*picture, ink, ChooseBackground(ink));
  if (!reduced) return 1;
  const auto rows = IndexRows(*reduced);
  const std::string ours_path = (folder / (name + "-ours.gif")).string();
  const std::string ref_path = (folder / (name + "-giflib.gif")).string();

  bool ok = true;
  const double ours = MedianMs(runs, [&] {
    // Written to a file too, as giflib's reference does.
    for (int i = 0; i < repeat; ++i) {
      const auto gif = EncodeGif({1, {{&*reduced, 0}}});
      std::FILE* file = gif ? std::fopen(ours_path.c_str(), "wb") : nullptr;
      ok &= file && std::fwrite(gif->data(), 1, gif->size(), file) == gif->size();
      ok &= file && std::fclose(file) == 0;
    }
  }) / repeat;
  const double ref = MedianMs(runs, [&] {
    for (int i = 0; i < repeat; ++i) ok &= EncodeWithGiflib(rows, width, *reduced, ref_path);
  }) / repeat;
  if (!ok || !DecodesTo(ours_path, rows) || !DecodesTo(ref_path, rows)) {
    std::fprintf(stderr, "%s: an encoder failed or its file does not decode to the input\n",
                 name.c_str());
    return 1;
  }
  PrintBench(name, ours, ref);
  size_t ink_pixels = 0;
  for (const auto& row : rows) ink_pixels += std::count(row.begin(), row.end(), 0);
  std::printf("# %s ink=%.1f%% ours_bytes=%ju giflib_bytes=%ju\n", name.c_str(),
              100.0 * ink_pixels / (double(width) * height),
              static_cast<uintmax_t>(std::filesystem::file_size(ours_path)),
              static_cast<uintmax_t>(std::filesystem::file_size(ref_path)));
  return 0;
}

}  // namespace
}  // namespace quorel::bench

int main() {
  // Both encoders write files; a memory file system keeps disk latency out of
  // the comparison.
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
  std::string pattern = (base / "quorel-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 1;
  const std::filesystem::path folder = pattern;
  int failed = quorel::bench::Run(4032, 3024, 9, 1, folder);
  failed |= quorel::bench::Run(300, 120, 9, 200, folder);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return failed;
}
