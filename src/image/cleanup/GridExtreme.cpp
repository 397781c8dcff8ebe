// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/GridExtreme.h"

#include <algorithm>

// Out of line: inlined into a long caller, these loops were taken for cold
// and left unvectorised.

namespace quorel {
namespace {

// Windows of the largest power of two within 2 radius + 1.
int32_t Span(int32_t radius) {
  int32_t span = 1;
  while (2 * span <= 2 * radius + 1) span *= 2;
  return span;
}

void Raise(uint8_t* to, const uint8_t* from, size_t n) {
  for (size_t i = 0; i < n; ++i) to[i] = std::max(to[i], from[i]);
}

}  // namespace

Result<void> ColumnMax(Buffer<uint8_t>& grid, int32_t width, int32_t height, int32_t radius, Buffer<uint8_t>& start) {
  const size_t w = static_cast<size_t>(width);
  const auto row = [&](int32_t y) { return grid.data() + static_cast<size_t>(y) * w; };
  const int32_t span = Span(radius);
  // Row y's window [0, y + radius] is shorter than `span` for y < span − radius − 1.
  const int32_t short_rows = std::min(height, span - radius - 1);
  if (short_rows > 0) {
    QUOREL_TRY(start.Resize(static_cast<size_t>(short_rows) * w));
    std::fill_n(start.data(), w, uint8_t{0});
    for (int32_t y = 0; y <= std::min(radius, height - 1); ++y) Raise(start.data(), row(y), w);
    for (int32_t y = 1; y < short_rows; ++y) {
      uint8_t* to = start.data() + static_cast<size_t>(y) * w;
      std::copy_n(to - w, w, to);
      if (y + radius < height) Raise(to, row(y + radius), w);
    }
  }
  // Going down, each row takes the next window's maximum before that is raised.
  for (int32_t k = 1; 2 * k <= span && k < height; k *= 2) Raise(row(0), row(k), static_cast<size_t>(height - k) * w);
  // Going up, each row reads windows at or above it, not yet written.
  for (int32_t y = height - 1; y >= short_rows; --y) {
    const int32_t last = y + radius + 1 - span;  // the window ending at y + radius
    if (last != y) std::copy_n(row(last), w, row(y));
    Raise(row(y), row(std::max(0, y - radius)), w);
  }
  if (short_rows > 0) std::copy_n(start.data(), static_cast<size_t>(short_rows) * w, row(0));
  return {};
}

void PaddedRowMax(uint8_t* padded, int32_t width, int32_t reach, uint8_t* out) {
  const int32_t n = width + 2 * reach;
  const int32_t span = Span(reach);
  // Going right, each place takes the next window's maximum before that is raised.
  for (int32_t k = 1; 2 * k <= span && k < n; k *= 2) Raise(padded, padded + k, static_cast<size_t>(n - k));
  // Place x's window is [x, x + 2 reach] of the padded row: the windows at x
  // and ending at x + 2 reach.
  const uint8_t* ending = padded + 2 * reach + 1 - span;
  for (int32_t x = 0; x < width; ++x) out[x] = std::max(padded[x], ending[x]);
}

}  // namespace quorel
