// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/Buffer.h"
#include "common/Result.h"
#include "image/CopyIntoRect.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// Calls on_piece(first, area, box) for each piece of ink (8-connected), clearing
// the piece from `ink`: `first` holds its first `keep` pixels, and once a piece
// reaches `keep` pixels every further pixel goes to on_large(x, y) (after the
// first ones). Memory: the fill's front and `keep` pixels.
template <class OnLarge, class OnPiece>
void WalkPieces(InkBits& ink, int64_t keep, OnLarge on_large, OnPiece on_piece) {
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  std::deque<std::pair<int32_t, int32_t>> front;
  std::vector<std::pair<int32_t, int32_t>> first;
  for (int32_t y = 0; y < h; ++y) {
    for (size_t byte = 0; byte < ink.stride(); ++byte) {
      while (ink.Row(y)[byte] != 0) {
        const int32_t x = static_cast<int32_t>(byte * 8) + __builtin_ctz(ink.Row(y)[byte]);
        int64_t area = 0;
        PixelRect box{x, y, x + 1, y + 1};
        first.clear();
        const auto visit = [&](int32_t vx, int32_t vy) {
          ink.Clear(vx, vy);
          front.emplace_back(vx, vy);
          box = {std::min(box.left, vx), std::min(box.top, vy), std::max(box.right, vx + 1),
                 std::max(box.bottom, vy + 1)};
          if (++area < keep) {
            first.emplace_back(vx, vy);
            return;
          }
          if (area == keep) {
            for (const auto& [fx, fy] : first) on_large(fx, fy);
            first.clear();
          }
          on_large(vx, vy);
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
        on_piece(first, area, box);
      }
    }
  }
}

struct InkSpot {
  int32_t x, y;
};

// The box round a piece's pixels (at least one).
inline PixelRect BoxOf(std::span<const InkSpot> piece) {
  PixelRect box{piece[0].x, piece[0].y, piece[0].x + 1, piece[0].y + 1};
  for (const auto [x, y] : piece) {
    box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
  }
  return box;
}

// The pixels of the piece (8-connected) holding `first` into `piece`, in the
// order they are reached, cleared from `ink`; none where `first` is no ink.
// Memory: the piece's pixels. kOutOfMemory.
inline Result<void> TakePiece(InkBits& ink, InkSpot first, Buffer<InkSpot>& piece) {
  piece.Clear();
  if (!ink.Get(first.x, first.y)) return {};
  ink.Clear(first.x, first.y);
  QUOREL_TRY(piece.Push(first));
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  for (size_t next = 0; next < piece.size(); ++next) {
    const auto [px, py] = piece[next];
    for (int32_t yy = std::max(0, py - 1); yy <= std::min(h - 1, py + 1); ++yy) {
      for (int32_t xx = std::max(0, px - 1); xx <= std::min(w - 1, px + 1); ++xx) {
        if (!ink.Get(xx, yy)) continue;
        ink.Clear(xx, yy);
        QUOREL_TRY(piece.Push({xx, yy}));
      }
    }
  }
  return {};
}

// Calls on_piece(pixels) for each piece of ink (8-connected), in the order of
// their first pixels row by row, each cleared from `ink` before; on_piece
// returns Result<void>, and the walk ends at its first failure, or
// Result<bool>, and the walk ends too where it gives false (the pieces not
// reached stay in `ink`). Memory: one piece's pixels. kOutOfMemory.
template <class OnPiece>
Result<void> ForEachPiece(InkBits& ink, OnPiece on_piece) {
  constexpr bool kMayStop = std::is_same_v<std::invoke_result_t<OnPiece, std::span<const InkSpot>>, Result<bool>>;
  Buffer<InkSpot> piece;
  Result<void> result{};
  bool going = true;
  ForEachInk(ink, [&](int32_t x, int32_t y) {
    if (!result.ok() || !going) return;
    result = TakePiece(ink, {x, y}, piece);
    if (!result.ok()) return;
    const std::span<const InkSpot> pixels(piece.begin(), piece.size());
    if constexpr (kMayStop) {
      Result<bool> go_on = on_piece(pixels);
      if (go_on.ok()) {
        going = *go_on;
      } else {
        result = go_on.status();
      }
    } else {
      result = on_piece(pixels);
    }
  });
  return result;
}

}  // namespace quorel
