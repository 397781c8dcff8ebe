// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "image/PackedDib.h"

namespace quorel::bench {

// Sauvola's local threshold, the plain baseline of the clean-up bench: a pixel
// is ink when its grey is at most m (1 + k (s / 128 − 1)), m and s the mean and
// standard deviation of the grey over a window × window square around it
// (cut by the picture's border). Grey is 0.299 R + 0.587 G + 0.114 B.
class SauvolaInk {
 public:
  explicit SauvolaInk(const PackedDib& picture24, int window = 31, double k = 0.2);
  bool Ink(int32_t x, int32_t y) const { return ink_[static_cast<size_t>(y) * width_ + x] != 0; }

 private:
  int32_t width_ = 0;
  std::vector<uint8_t> ink_;
};

}  // namespace quorel::bench
