// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/InkBody.h"

#include <algorithm>
#include <vector>

#include "image/cleanup/InkPieces.h"
#include "image/cleanup/PieceSpread.h"

namespace quorel {
namespace {

constexpr double kBodyShare = 0.05;
// The body's core: its pieces of at least this share of the largest one's
// cells. A smaller body piece belongs to it only beside the core, over half
// its height in the core's rows (a name is one line of writing), or within
// its own height of the core (a kanji's stroke below the rest): a row of
// print further above or below, its words joined in the reduced mask, is
// as large.
constexpr double kCoreShare = 0.2;
constexpr double kReachShare = 0.25;
// A straight line (a form's rule, a box's side) is no part of the body when
// the rest has a piece at least kLineShare as large: its cells spread along
// it kLineAlongPerAcross times as far as across (at least a cell's spread).
// A pen's long straight stroke beside nothing as large is still its own.
constexpr double kLineAlongPerAcross = 20;
constexpr double kLineShare = 0.5;
// The pieces are told in the mask OR-reduced to about this many cells
// across: the body's scale is the mark's, and a walk over every pixel of a
// solid seal cost 6 % of its clean-up.
constexpr int32_t kReducedSide = 256;
// A seal or a name is a few dozen pieces; so many more are no mark's
// (grain), and are left as they are, which bounds the memory.
constexpr size_t kMostPieces = 4096;

struct Piece {
  int64_t area = 0;
  PixelRect box;
  double sx = 0, sy = 0;  // its cells' middles, summed
  bool line = false;  // a straight line, no part of the body
};

}  // namespace

Result<void> KeepTheBody(InkBits& ink) {
  const int32_t factor = std::max(1, (std::max(ink.width(), ink.height()) + kReducedSide - 1) / kReducedSide);
  InkBits reduced = QUOREL_TRY(OrReduced(ink, factor));
  std::vector<Piece> pieces;
  {
    InkBits walked = QUOREL_TRY(reduced.Copy());
    Piece piece;
    PieceSpread spread;
    bool too_many = false;
    WalkPieces(
        walked, 1,
        [&](int32_t x, int32_t y) {
          piece.sx += x + 0.5, piece.sy += y + 0.5;
          spread.Add(x, y);
        },
        [&](const auto&, int64_t area, const PixelRect& box) {
          piece.area = area, piece.box = box;
          piece.line = spread.Along() >= kLineAlongPerAcross * std::max(1.0, spread.Across());
          spread = PieceSpread{};
          too_many = too_many || pieces.size() == kMostPieces;
          if (!too_many) pieces.push_back(piece);
          piece = {};
        });
    if (too_many || pieces.empty()) return {};
  }
  int64_t largest = 0;
  int64_t largest_other = 0;  // of the pieces no straight line
  for (const Piece& piece : pieces) {
    largest = std::max(largest, piece.area);
    if (!piece.line) largest_other = std::max(largest_other, piece.area);
  }
  for (Piece& piece : pieces) {
    piece.line = piece.line && static_cast<double>(largest_other) >= kLineShare * static_cast<double>(piece.area);
  }
  const auto share_of_largest = [&](const Piece& piece, double share) {
    return static_cast<double>(piece.area) >= share * static_cast<double>(largest);
  };
  const auto take = [](PixelRect& box, const PixelRect& more) {
    box = {std::min(box.left, more.left), std::min(box.top, more.top), std::max(box.right, more.right),
           std::max(box.bottom, more.bottom)};
  };
  PixelRect core{reduced.width(), reduced.height(), 0, 0};
  for (const Piece& p : pieces) {
    if (!p.line && share_of_largest(p, kCoreShare)) take(core, p.box);
  }
  PixelRect body = core;
  std::vector<bool> body_part(pieces.size());
  for (size_t i = 0; i < pieces.size(); ++i) {
    const PixelRect& box = pieces[i].box;
    const int32_t in_rows = std::min(box.bottom, core.bottom) - std::max(box.top, core.top);
    const int32_t height = box.bottom - box.top;
    const int32_t gap = std::max({core.left - box.right, box.left - core.right, core.top - box.bottom,
                                  box.top - core.bottom});
    body_part[i] = !pieces[i].line && (share_of_largest(pieces[i], kCoreShare) ||
                   (share_of_largest(pieces[i], kBodyShare) && (2 * in_rows >= height || gap <= height)));
    if (body_part[i]) take(body, box);
  }
  const double reach = kReachShare * std::max(body.right - body.left, body.bottom - body.top);
  std::vector<bool> goes(pieces.size());
  bool any = false;
  for (size_t i = 0; i < pieces.size(); ++i) {
    const Piece& p = pieces[i];
    const double mx = p.sx / static_cast<double>(p.area);
    const double my = p.sy / static_cast<double>(p.area);
    goes[i] = !body_part[i] && (mx < body.left - reach || mx > body.right + reach || my < body.top - reach ||
                                my > body.bottom + reach);
    any = any || goes[i];
  }
  if (!any) return {};
  // The same walk again, its pieces in the same order: the cells of those
  // that go, then the ink in them.
  InkBits gone = QUOREL_TRY(InkBits::Create(reduced.width(), reduced.height()));
  size_t index = 0;
  WalkPieces(
      reduced, 1, [&](int32_t x, int32_t y) { if (goes[index]) gone.Set(x, y); },
      [&](const auto&, int64_t, const PixelRect&) { ++index; });
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (!goes[i]) continue;
    const PixelRect& box = pieces[i].box;
    for (int32_t y = box.top * factor; y < std::min(ink.height(), box.bottom * factor); ++y) {
      for (int32_t x = box.left * factor; x < std::min(ink.width(), box.right * factor); ++x) {
        if (gone.Get(x / factor, y / factor)) ink.Clear(x, y);
      }
    }
  }
  return {};
}

}  // namespace quorel
