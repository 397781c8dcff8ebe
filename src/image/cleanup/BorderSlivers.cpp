// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/BorderSlivers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace quorel {
namespace {

// A stroke crossing the border within about 7 degrees of it meets it for
// this many widths.
constexpr double kAlongPerStroke = 8.0;
// A sliver runs along the border at least this many times as far as it
// reaches in.
constexpr int32_t kAlongPerDepth = 4;
// A sheet's edge leaves a sliver or two along an edge of the picture; each
// one looked at costs a pass over the mask, so no more than this many are.
constexpr int kMostMeetings = 8;

enum class Edge { kTop, kBottom, kLeft, kRight };

// Pixel i of the line `inset` pixels in from an edge of the picture.
struct EdgePixel {
  int32_t x, y;
};
EdgePixel At(const InkBits& ink, Edge edge, int32_t i, int32_t inset) {
  switch (edge) {
    case Edge::kTop: return {i, inset};
    case Edge::kBottom: return {i, ink.height() - 1 - inset};
    case Edge::kLeft: return {inset, i};
    case Edge::kRight: return {ink.width() - 1 - inset, i};
  }
  return {0, 0};
}

// Whether the edge runs along the rows; its length, and how far the picture
// reaches in from it.
bool Horizontal(Edge edge) { return edge == Edge::kTop || edge == Edge::kBottom; }
int32_t Length(const InkBits& ink, Edge edge) { return Horizontal(edge) ? ink.width() : ink.height(); }
int32_t Reach(const InkBits& ink, Edge edge) { return Horizontal(edge) ? ink.height() : ink.width(); }

// How far the box reaches in from the edge itself.
int32_t Depth(const InkBits& ink, Edge edge, const PixelRect& box) {
  switch (edge) {
    case Edge::kTop: return box.bottom;
    case Edge::kBottom: return ink.height() - box.top;
    case Edge::kLeft: return box.right;
    case Edge::kRight: return ink.width() - box.left;
  }
  return 0;
}

// Whether the box reaches an edge beside `edge` (either end of it): a frame
// round the picture does, a stroke along the edge joined to writing further
// in does not.
bool AtACorner(const InkBits& ink, Edge edge, const PixelRect& box) {
  if (Horizontal(edge)) return box.left == 0 || box.right == ink.width();
  return box.top == 0 || box.bottom == ink.height();
}

// How far ink runs in from the edge, from `inset`, at each place of the
// meeting [from, to): the median.
int32_t RunIn(const InkBits& ink, Edge edge, int32_t from, int32_t to, int32_t inset) {
  const int32_t across = Reach(ink, edge);
  std::vector<int32_t> runs;
  for (int32_t i = from; i < to; ++i) {
    int32_t depth = inset;
    while (depth < across) {
      const EdgePixel p = At(ink, edge, i, depth);
      if (!ink.Get(p.x, p.y)) break;
      ++depth;
    }
    runs.push_back(depth);
  }
  std::nth_element(runs.begin(), runs.begin() + static_cast<ptrdiff_t>(runs.size() / 2), runs.end());
  return runs[runs.size() / 2];
}

// The part of the piece met at [from, to) along the edge, when it is a side
// of a frame round the picture (a scanner's dark lid beyond a smaller sheet,
// a desk all round): such a piece meets two or more edges and runs across
// the picture along them, so it is never shallow as a whole. Within a band twice its typical
// depth in from the edge, the part joined to the meeting is a sliver where
// what crosses the band's inner line (the frame's other sides, a stroke
// touching it) is short beside the meeting. Empty otherwise.
Result<InkBits> FrameSide(const InkBits& ink, Edge edge, int32_t from, int32_t to, int32_t inset) {
  const int32_t band = 2 * RunIn(ink, edge, from, to, inset) + 1;
  const int32_t meeting = to - from;
  InkBits side = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
  if (kAlongPerDepth * band > meeting) return side;
  // The ink within the band only (walked there alone, not over the picture).
  const int32_t length = Length(ink, edge);
  const int32_t across = Reach(ink, edge);
  InkBits near = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
  for (int32_t depth = 0; depth < std::min(band, across); ++depth) {
    for (int32_t i = 0; i < length; ++i) {
      const EdgePixel p = At(ink, edge, i, depth);
      if (ink.Get(p.x, p.y)) near.Set(p.x, p.y);
    }
  }
  const EdgePixel start = At(ink, edge, from, inset);
  side.Set(start.x, start.y);
  QUOREL_TRY(GrowWithin(side, near));
  int32_t crossing = 0;
  for (int32_t i = 0; i < length && band - 1 < across; ++i) {
    const EdgePixel p = At(ink, edge, i, band - 1);
    crossing += side.Get(p.x, p.y);
  }
  if (kAlongPerDepth * crossing > meeting) side = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
  return side;
}

// `whole`: the ink before any edge was cleared, where a frame's piece is
// told (null: frames are not looked for).
Result<void> ClearEdge(InkBits& ink, Edge edge, int32_t longest, int32_t inset, const InkBits* whole, int& meetings,
                       bool& cleared) {
  const int32_t length = Length(ink, edge);
  const auto on = [&](int32_t i) {
    const EdgePixel p = At(ink, edge, i, inset);
    return ink.Get(p.x, p.y);
  };
  for (int32_t i = 0; i < length && meetings < kMostMeetings;) {
    if (!on(i)) {
      ++i;
      continue;
    }
    int32_t end = i;
    while (end < length && on(end)) ++end;
    if (end - i > longest) {
      ++meetings;
      InkBits piece = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
      const EdgePixel p = At(ink, edge, i, inset);
      piece.Set(p.x, p.y);
      QUOREL_TRY(GrowWithin(piece, ink));
      const PixelRect box = InkBounds(piece);
      if (kAlongPerDepth * Depth(ink, edge, box) <= end - i) {
        Subtract(ink, piece);
        cleared = true;
      } else if (whole != nullptr) {
        // Told in the ink as it was: a side cleared before may have cut the
        // frame's corners off.
        InkBits frame = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
        frame.Set(p.x, p.y);
        QUOREL_TRY(GrowWithin(frame, *whole));
        if (AtACorner(ink, edge, InkBounds(frame))) {
          const InkBits side = QUOREL_TRY(FrameSide(ink, edge, i, end, inset));
          cleared |= InkBounds(side).right > 0;
          Subtract(ink, side);
        }
      }
    }
    i = end;
  }
  return {};
}

}  // namespace

Result<bool> ClearBorderSlivers(InkBits& ink, double stroke, bool frames) {
  if (ink.width() == 0 || ink.height() == 0) return false;
  const auto longest = static_cast<int32_t>(std::ceil(kAlongPerStroke * stroke));
  // A sliver may stop short of the very edge (a picture's first rows, a
  // lighter line where the desk ends): looked for up to a stroke width in.
  const int32_t insets = std::min({static_cast<int32_t>(std::ceil(stroke)), ink.width(), ink.height()});
  const InkBits whole = QUOREL_TRY(frames ? ink.Copy() : InkBits::Create(0, 0));
  bool cleared = false;
  for (const Edge edge : {Edge::kTop, Edge::kBottom, Edge::kLeft, Edge::kRight}) {
    int meetings = 0;
    for (int32_t inset = 0; inset < insets; ++inset) {
      QUOREL_TRY(ClearEdge(ink, edge, longest, inset, frames ? &whole : nullptr, meetings, cleared));
    }
  }
  return cleared;
}

}  // namespace quorel
