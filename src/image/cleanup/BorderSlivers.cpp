// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/BorderSlivers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

Result<void> ClearEdge(InkBits& ink, Edge edge, int32_t longest, int32_t inset, int& meetings) {
  const int32_t length = edge == Edge::kTop || edge == Edge::kBottom ? ink.width() : ink.height();
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
      if (kAlongPerDepth * Depth(ink, edge, InkBounds(piece)) <= end - i) Subtract(ink, piece);
    }
    i = end;
  }
  return {};
}

}  // namespace

Result<void> ClearBorderSlivers(InkBits& ink, double stroke) {
  if (ink.width() == 0 || ink.height() == 0) return {};
  const auto longest = static_cast<int32_t>(std::ceil(kAlongPerStroke * stroke));
  // A sliver may stop short of the very edge (a picture's first rows, a
  // lighter line where the desk ends): looked for up to a stroke width in.
  const int32_t insets = std::min({static_cast<int32_t>(std::ceil(stroke)), ink.width(), ink.height()});
  for (const Edge edge : {Edge::kTop, Edge::kBottom, Edge::kLeft, Edge::kRight}) {
    int meetings = 0;
    for (int32_t inset = 0; inset < insets; ++inset) QUOREL_TRY(ClearEdge(ink, edge, longest, inset, meetings));
  }
  return {};
}

}  // namespace quorel
