// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorel::test {

using GifRgb = std::array<uint8_t, 3>;  // red, green, blue

// One image of a GIF as giflib reads it.
struct GiflibFrame {
  int width = 0;
  int height = 0;
  std::vector<GifRgb> local_colours;  // empty when the frame has no local table
  int transparent_index = -1;        // from the frame's graphic control block; -1 none
  int delay = 0;                     // hundredths of a second
  int disposal = 0;
  std::vector<uint8_t> indexes;      // width × height colour indexes, top row first
  uint8_t At(int x, int y) const { return indexes[static_cast<size_t>(y) * width + x]; }
};

// A whole GIF decoded with giflib's DGifSlurp: the independent decoder our
// tests compare against.
struct GiflibImage {
  int width = 0;                      // logical screen
  int height = 0;
  std::vector<GifRgb> colours;        // global colour table; empty when there is none
  int transparent_index = -1;         // the first frame's, for convenience
  std::vector<std::string> comments;  // comment extensions, in file order
  std::vector<GiflibFrame> frames;
};

// Decodes GIF bytes; none when giflib refuses them (`error` then says why).
std::optional<GiflibImage> DecodeWithGiflib(std::span<const uint8_t> bytes,
                                            std::string* error = nullptr);

}  // namespace quorel::test
