// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/InkSpecks.h"

#include <algorithm>
#include <new>

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
  // NOTE: a piece's bits are cleared as it is found (its pixels doubling as
  // the work list), and set in a second mask when it is large enough.
  InkBits kept = QUOREL_TRY(InkBits::Create(w, h));
  std::vector<std::pair<int32_t, int32_t>> piece;
  try {
    for (int32_t y = 0; y < h; ++y) {
      for (size_t byte = 0; byte < ink.stride(); ++byte) {
        while (ink.Row(y)[byte] != 0) {
          const int32_t x = static_cast<int32_t>(byte * 8) + __builtin_ctz(ink.Row(y)[byte]);
          piece.assign(1, {x, y});
          ink.Clear(x, y);
          for (size_t next = 0; next < piece.size(); ++next) {
            const auto [px, py] = piece[next];
            for (int32_t yy = std::max(0, py - 1); yy <= std::min(h - 1, py + 1); ++yy) {
              for (int32_t xx = std::max(0, px - 1); xx <= std::min(w - 1, px + 1); ++xx) {
                if (!ink.Get(xx, yy)) continue;
                ink.Clear(xx, yy);
                piece.emplace_back(xx, yy);
              }
            }
          }
          if (static_cast<int64_t>(piece.size()) < min_area) continue;
          for (const auto& [kx, ky] : piece) kept.Set(kx, ky);
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
