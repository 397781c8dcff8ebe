// Quorel — SPDX-License-Identifier: MIT
#include "Sauvola.h"

#include <algorithm>
#include <cmath>

#include "image/DibLayout.h"

namespace quorel::bench {

SauvolaInk::SauvolaInk(const PackedDib& picture24, int window, double k) {
  const auto rows = ConstDibRows::Of(picture24).value();
  const int32_t w = rows.width();
  const int32_t h = rows.height();
  width_ = w;
  std::vector<double> grey(static_cast<size_t>(w) * h);
  // Integral images of grey and grey², one row and column of zeros ahead.
  std::vector<double> sum(static_cast<size_t>(w + 1) * (h + 1), 0.0);
  std::vector<double> square(sum.size(), 0.0);
  for (int32_t y = 0; y < h; ++y) {
    const auto row = rows.TopDownRow(y);
    double run = 0, run2 = 0;
    for (int32_t x = 0; x < w; ++x) {
      const double g = 0.114 * row[3 * x] + 0.587 * row[3 * x + 1] + 0.299 * row[3 * x + 2];
      grey[static_cast<size_t>(y) * w + x] = g;
      run += g;
      run2 += g * g;
      const size_t at = static_cast<size_t>(y + 1) * (w + 1) + x + 1;
      sum[at] = sum[at - (w + 1)] + run;
      square[at] = square[at - (w + 1)] + run2;
    }
  }
  const int half = window / 2;
  ink_.resize(grey.size());
  for (int32_t y = 0; y < h; ++y) {
    const int32_t y0 = std::max(0, y - half), y1 = std::min(h, y + half + 1);
    for (int32_t x = 0; x < w; ++x) {
      const int32_t x0 = std::max(0, x - half), x1 = std::min(w, x + half + 1);
      const auto box = [&](const std::vector<double>& t) {
        return t[static_cast<size_t>(y1) * (w + 1) + x1] - t[static_cast<size_t>(y0) * (w + 1) + x1] -
               t[static_cast<size_t>(y1) * (w + 1) + x0] + t[static_cast<size_t>(y0) * (w + 1) + x0];
      };
      const double n = static_cast<double>(x1 - x0) * (y1 - y0);
      const double m = box(sum) / n;
      const double s = std::sqrt(std::max(0.0, box(square) / n - m * m));
      ink_[static_cast<size_t>(y) * w + x] = grey[static_cast<size_t>(y) * w + x] <= m * (1 + k * (s / 128 - 1));
    }
  }
}

}  // namespace quorel::bench
