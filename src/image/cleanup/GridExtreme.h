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

}  // namespace quorel
