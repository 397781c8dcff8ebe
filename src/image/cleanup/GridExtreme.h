// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstdint>

#include "common/Buffer.h"
#include "common/Result.h"

namespace quorel {

// One pass of a running extreme over a grid of `channels` values a node,
// along its rows or its columns: each node becomes pick() of the nodes within
// `radius` of it on its line (pick: the larger or the smaller of two). Three
// picks a node whatever the radius (van Herk and Gil-Werman): the line is cut
// into blocks as long as the window, and a window spans at most two of them,
// the end of one (`behind`: from a node to its block's end) and the start of
// the next (`ahead`: from its block's start to a node). kOutOfMemory.
template <class T, class Pick>
Result<void> RunningExtreme(Buffer<T>& grid, int32_t w, int32_t h, int32_t channels, bool along_rows,
                            int32_t radius, Pick pick) {
  const int32_t n = along_rows ? w : h;
  const int32_t lines = along_rows ? h : w;
  const int32_t block = 2 * std::min(radius, n) + 1;
  Buffer<int32_t> start = QUOREL_TRY(Buffer<int32_t>::Filled(static_cast<size_t>(n)));  // of a node's block
  for (int32_t i = 0; i < n; ++i) start[i] = i - i % block;
  Buffer<T> line = QUOREL_TRY(Buffer<T>::Filled(static_cast<size_t>(n)));
  Buffer<T> ahead = QUOREL_TRY(Buffer<T>::Filled(static_cast<size_t>(n)));
  Buffer<T> behind = QUOREL_TRY(Buffer<T>::Filled(static_cast<size_t>(n)));
  for (int32_t l = 0; l < lines; ++l) {
    for (int32_t c = 0; c < channels; ++c) {
      auto at = [&](int32_t i) -> T& {
        const int32_t x = along_rows ? i : l;
        const int32_t y = along_rows ? l : i;
        return grid[(static_cast<size_t>(y) * w + x) * channels + c];
      };
      for (int32_t i = 0; i < n; ++i) line[i] = at(i);
      for (int32_t i = 0; i < n; ++i) ahead[i] = start[i] == i ? line[i] : pick(ahead[i - 1], line[i]);
      for (int32_t i = n - 1; i >= 0; --i) {
        behind[i] = i == n - 1 || start[i + 1] == i + 1 ? line[i] : pick(behind[i + 1], line[i]);
      }
      for (int32_t i = 0; i < n; ++i) {
        const int32_t lo = std::max(0, i - radius);
        const int32_t hi = std::min(n - 1, i + radius);
        // Within one block, the window is cut by the line's start or end:
        // it starts its block, or ends where the block's `behind` does.
        at(i) = start[hi] > lo ? pick(behind[lo], ahead[hi]) : start[lo] == lo ? ahead[hi] : behind[lo];
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

// The largest value within `reach` of each place of a row `padded` with
// `reach` zeros either side, into `out`; `padded` is overwritten. As
// ColumnMax, by doubling along the row.
void PaddedRowMax(uint8_t* padded, int32_t width, int32_t reach, uint8_t* out);

// The largest value within `reach` of each place of a row (beyond it: 0).
class RunningMax {
 public:
  static Result<RunningMax> Create(int32_t width, int32_t reach) {
    RunningMax running(width, reach);
    QUOREL_TRY(running.padded_.Resize(static_cast<size_t>(width + 2 * reach)));
    return running;
  }

  template <class Value>
  void Run(Value value, uint8_t* out) {
    std::fill_n(padded_.begin(), reach_, uint8_t{0});
    for (int32_t x = 0; x < width_; ++x) padded_[reach_ + x] = value(x);
    std::fill_n(padded_.begin() + reach_ + width_, reach_, uint8_t{0});
    PaddedRowMax(padded_.data(), width_, reach_, out);
  }

 private:
  RunningMax(int32_t width, int32_t reach) : width_(width), reach_(reach) {}

  int32_t width_;
  int32_t reach_;
  Buffer<uint8_t> padded_;
};

}  // namespace quorel
