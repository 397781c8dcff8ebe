// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstdint>

#include "common/Buffer.h"
#include "common/Result.h"

namespace quorel {

// One pass of a running extreme over a grid of `channels` values a node,
// along its rows or its columns: each node becomes pick() of the nodes within
// `radius` of it on its line. Grids are small (about a hundred nodes a side),
// so a plain window is enough. kOutOfMemory.
template <class T, class Pick>
Result<void> RunningExtreme(Buffer<T>& grid, int32_t w, int32_t h, int32_t channels, bool along_rows,
                            int32_t radius, Pick pick) {
  const int32_t n = along_rows ? w : h;
  const int32_t lines = along_rows ? h : w;
  Buffer<T> line = QUOREL_TRY(Buffer<T>::Filled(static_cast<size_t>(n)));
  for (int32_t l = 0; l < lines; ++l) {
    for (int32_t c = 0; c < channels; ++c) {
      auto at = [&](int32_t i) -> T& {
        const int32_t x = along_rows ? i : l;
        const int32_t y = along_rows ? l : i;
        return grid[(static_cast<size_t>(y) * w + x) * channels + c];
      };
      for (int32_t i = 0; i < n; ++i) line[i] = at(i);
      for (int32_t i = 0; i < n; ++i) {
        T v = line[i];
        const int32_t lo = std::max(0, i - radius);
        const int32_t hi = std::min(n - 1, i + radius);
        for (int32_t j = lo; j <= hi; ++j) v = pick(v, line[j]);
        at(i) = v;
      }
    }
  }
  return {};
}

// The largest value within `radius` rows of each place of a grid of `width`
// × `height` values, down its columns, in place (rows beyond the grid count
// as 0). The work runs along the rows, so it vectorises: windows of the
// largest power of two within 2 radius + 1 rows are built by doubling, and a
// row's window is two of them overlapping; the first rows' windows, shorter
// than that, are running maxima from the top, kept in `start` (at most
// `radius` rows). kOutOfMemory.
Result<void> ColumnMax(Buffer<uint8_t>& grid, int32_t width, int32_t height, int32_t radius, Buffer<uint8_t>& start);

// The largest value within `reach` of each place of a row, in O(1) a place
// (van Herk / Gil-Werman: running maxima forward and backward in blocks).
class RunningMax {
 public:
  static Result<RunningMax> Create(int32_t width, int32_t reach) {
    RunningMax running(width, reach);
    QUOREL_TRY(running.forward_.Resize(static_cast<size_t>(width + 2 * reach)));
    QUOREL_TRY(running.backward_.Resize(running.forward_.size()));
    return running;
  }

  template <class Value>
  void Run(Value value, uint8_t* out) {
    const int32_t n = width_ + 2 * reach_;
    const int32_t block = 2 * reach_ + 1;
    // The row, with `reach` of nothing either side, into forward_.
    std::fill_n(forward_.begin(), reach_, uint8_t{0});
    for (int32_t x = 0; x < width_; ++x) forward_[reach_ + x] = value(x);
    std::fill_n(forward_.begin() + reach_ + width_, reach_, uint8_t{0});
    for (int32_t start = 0; start < n; start += block) {
      const int32_t end = std::min(n, start + block);
      // Backward first, while the block still holds the values.
      backward_[end - 1] = forward_[end - 1];
      for (int32_t i = end - 2; i >= start; --i) backward_[i] = std::max(backward_[i + 1], forward_[i]);
      for (int32_t i = start + 1; i < end; ++i) forward_[i] = std::max(forward_[i - 1], forward_[i]);
    }
    // Window [i, i + 2 reach] of the padded row is [x − reach, x + reach] of the row.
    for (int32_t x = 0; x < width_; ++x) out[x] = std::max(backward_[x], forward_[x + 2 * reach_]);
  }

 private:
  RunningMax(int32_t width, int32_t reach) : width_(width), reach_(reach) {}

  int32_t width_;
  int32_t reach_;
  Buffer<uint8_t> forward_;
  Buffer<uint8_t> backward_;
};

}  // namespace quorel
