// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/PrintOnly.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>
#include <span>
#include <vector>

#include "image/cleanup/BoxOutline.h"
#include "image/cleanup/InkPieces.h"
#include "image/cleanup/MedianOf.h"
#include "image/cleanup/PieceSpread.h"

namespace quorel {
namespace {

// A printed × is about a dozen widths across, a caption's glyph less; a
// name's letters and the strokes joining them run further. The marks beside
// the lines hold at most a quarter of the lines' ink (a form's × and caption
// hold a seventh of its box's and line's, or less).
constexpr double kMarkPerWidth = 14;
constexpr double kMostMarkShare = 0.25;
// A form's print has lines more than one (its box's sides, its signing line,
// a sheet's rules): one straight stroke beside a loop or a dot may be a
// hand's.
constexpr int kLeastLines = 2;
constexpr int kBoxSides = 4;
// A light rule the faint look found breaks into dashes, some too long for a
// mark and too short for a line: a thin piece eight times as long as it
// spreads across, lying within 3° of the lines' tilt, is a line's too.
constexpr double kDashAlongPerAcross = 8;
constexpr double kDashTilt = 3 * std::numbers::pi / 180;
}  // namespace

Result<bool> OnlyPrintLeft(const InkBits& ink, double width) {
  // Marks of at most a quarter of the lines' ink hold at most a fifth of all of it.
  int64_t area = 0;
  for (int32_t y = 0; y < ink.height(); ++y) {
    for (size_t i = 0; i < ink.stride(); ++i) area += std::popcount(ink.Row(y)[i]);
  }
  const double most_marks = kMostMarkShare / (1 + kMostMarkShare) * static_cast<double>(area);
  InkBits walked = QUOREL_TRY(ink.Copy());
  int64_t lines = 0;
  int64_t marks = 0;
  int straight = 0;  // lines, a box counting for its sides
  std::vector<double> angles;  // the straight lines'
  std::vector<double> dashes;  // the shorter straight pieces
  bool print = true;
  // The first piece of writing, or marks too many, end the walk.
  QUOREL_TRY(ForEachPiece(walked, [&](std::span<const InkSpot> piece) -> Result<bool> {
    const PixelRect box = BoxOf(piece);
    const auto size = static_cast<int64_t>(piece.size());
    if (std::max(box.right - box.left, box.bottom - box.top) <= kMarkPerWidth * width) {
      marks += size;
      print = static_cast<double>(marks) <= most_marks;
      return print;
    }
    PieceSpread spread;
    for (const InkSpot& at : piece) spread.Add(at.x, at.y);
    if (spread.Straight(width)) {
      ++straight;
      angles.push_back(spread.Angle());
    } else if (BoxOutline(piece, width, ink.width(), ink.height())) {
      straight += kBoxSides;
    } else if (spread.Straight(width, kDashAlongPerAcross)) {
      dashes.push_back(spread.Angle());
    } else {
      print = false;
    }
    lines += size;
    return print;
  }));
  // A dash is a line's only along the lines' median tilt.
  if (print && !dashes.empty()) {
    if (angles.empty()) return false;
    const double tilt = MedianOf(angles);
    for (const double angle : dashes) {
      const double off = std::abs(angle - tilt);
      if (std::min(off, std::numbers::pi - off) > kDashTilt) return false;
    }
  }
  return print && straight >= kLeastLines &&
         static_cast<double>(marks) <= kMostMarkShare * static_cast<double>(lines);
}

}  // namespace quorel
