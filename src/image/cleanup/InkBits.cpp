// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/InkBits.h"

#include <algorithm>
#include <deque>
#include <new>
#include <utility>

namespace quorel {

Result<InkBits> InkBits::Create(int32_t width, int32_t height) {
  InkBits ink;
  ink.width_ = width;
  ink.height_ = height;
  ink.stride_ = (static_cast<size_t>(width) + 7) / 8;
  try {
    ink.bits_.assign(ink.stride_ * static_cast<size_t>(height), 0);
  } catch (const std::bad_alloc&) {
    return Status::kOutOfMemory;
  }
  return ink;
}

double PenWidth(const InkBits& ink) {
  int64_t area = 0;
  int64_t outline = 0;
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = ink.Row(y);
    for (size_t byte = 0; byte < ink.stride(); ++byte) {
      if (row[byte] == 0) continue;
      const int32_t end = std::min<int32_t>(w, static_cast<int32_t>(byte * 8 + 8));
      for (int32_t x = static_cast<int32_t>(byte * 8); x < end; ++x) {
        if (!ink.Get(x, y)) continue;
        ++area;
        // A pixel with paper (or the edge) left or right of it, above or below.
        const bool edge = x == 0 || x == w - 1 || y == 0 || y == h - 1 || !ink.Get(x - 1, y) ||
                          !ink.Get(x + 1, y) || !ink.Get(x, y - 1) || !ink.Get(x, y + 1);
        outline += edge ? 1 : 0;
      }
    }
  }
  return outline == 0 ? 0.0 : 2.0 * static_cast<double>(area) / static_cast<double>(outline);
}

Result<void> RemoveSpecks(InkBits& ink, int64_t min_area) {
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  // NOTE: a piece's bits are cleared as it is found and set in a second mask
  // once it is known to be large enough. Memory stays bounded by the fill's
  // front and the first `min_area` pixels of a piece, not by the ink: a
  // black photo is one piece of millions of pixels.
  InkBits kept = QUOREL_TRY(InkBits::Create(w, h));
  std::deque<std::pair<int32_t, int32_t>> front;
  std::vector<std::pair<int32_t, int32_t>> first;  // a piece's pixels until it is large enough
  try {
    for (int32_t y = 0; y < h; ++y) {
      for (size_t byte = 0; byte < ink.stride(); ++byte) {
        while (ink.Row(y)[byte] != 0) {
          const int32_t x = static_cast<int32_t>(byte * 8) + __builtin_ctz(ink.Row(y)[byte]);
          int64_t area = 0;
          first.clear();
          const auto visit = [&](int32_t vx, int32_t vy) {
            ink.Clear(vx, vy);
            front.emplace_back(vx, vy);
            if (++area < min_area) {
              first.emplace_back(vx, vy);
              return;
            }
            if (area == min_area) {
              for (const auto& [fx, fy] : first) kept.Set(fx, fy);
              first.clear();
            }
            kept.Set(vx, vy);
          };
          visit(x, y);
          while (!front.empty()) {
            const auto [px, py] = front.front();
            front.pop_front();
            for (int32_t yy = std::max(0, py - 1); yy <= std::min(h - 1, py + 1); ++yy) {
              for (int32_t xx = std::max(0, px - 1); xx <= std::min(w - 1, px + 1); ++xx) {
                if (ink.Get(xx, yy)) visit(xx, yy);
              }
            }
          }
        }
      }
    }
  } catch (const std::bad_alloc&) {
    return Status::kOutOfMemory;
  }
  ink = std::move(kept);
  return {};
}

PixelRect InkBounds(const InkBits& ink) {
  PixelRect box{ink.width(), ink.height(), 0, 0};
  for (int32_t y = 0; y < ink.height(); ++y) {
    const uint8_t* row = ink.Row(y);
    for (size_t byte = 0; byte < ink.stride(); ++byte) {
      if (row[byte] == 0) continue;
      const int32_t first = static_cast<int32_t>(byte * 8) + __builtin_ctz(row[byte]);
      const int32_t last = static_cast<int32_t>(byte * 8) + 31 - __builtin_clz(row[byte]);
      box.left = std::min(box.left, first);
      box.right = std::max(box.right, last + 1);
      box.top = std::min(box.top, y);
      box.bottom = y + 1;
    }
  }
  if (box.right == 0) return {};
  return box;
}

}  // namespace quorel
