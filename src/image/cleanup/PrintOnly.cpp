// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/PrintOnly.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>
#include <span>
#include <vector>

#include "image/cleanup/InkPieces.h"
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
// A box's outline: tilted at most as a sheet's lines may be (15°, looked at
// in kAngles steps), all but kMostOffShare of its pixels within
// kSideWidths of its sides' thickness (and a pixel) of the rectangle round
// it (a photo's perspective leaves its sides a degree or two off square),
// each side at least kLeastSidePerWidth widths long and inked along
// kLeastSideCover of its length.
constexpr int kAngles = 61;
constexpr size_t kSearchStep = 8;
constexpr double kSteepestDegrees = 15;
constexpr double kSideWidths = 1.5;
constexpr double kMostOffShare = 0.1;
constexpr double kLeastSidePerWidth = 10;
constexpr double kLeastSideCover = 0.8;

// The rectangle round every `step`-th pixel of the piece turned by `angle`:
// u along, v across.
struct Turned {
  double angle, cosine, sine;
  double u0 = std::numeric_limits<double>::max(), u1 = -u0, v0 = u0, v1 = -u0;

  Turned(std::span<const InkSpot> piece, double turn, size_t step = 1)
      : angle(turn), cosine(std::cos(turn)), sine(std::sin(turn)) {
    for (size_t i = 0; i < piece.size(); i += step) {
      const InkSpot at = piece[i];
      u0 = std::min(u0, U(at)), u1 = std::max(u1, U(at)), v0 = std::min(v0, V(at)), v1 = std::max(v1, V(at));
    }
  }
  double U(InkSpot at) const { return at.x * cosine + at.y * sine; }
  double V(InkSpot at) const { return at.y * cosine - at.x * sine; }
  double Area() const { return (u1 - u0) * (v1 - v0); }
};

// Whether the piece is a box's outline: the smallest rectangle round it,
// over the tilts looked at, has ink along its sides only, and along nearly
// all of each side. (A hand's box bows off its rectangle.) The tilt is
// chosen on every kSearchStep-th pixel: a box's sides are dense, and the
// piece looked at is often a whole name.
bool BoxOutline(std::span<const InkSpot> piece, double width) {
  double tilt = 0;
  double least = std::numeric_limits<double>::max();
  for (int i = 0; i < kAngles; ++i) {
    const double share = 2.0 * i / (kAngles - 1) - 1;
    const Turned turned(piece, share * kSteepestDegrees * std::numbers::pi / 180, kSearchStep);
    if (turned.Area() < least) least = turned.Area(), tilt = turned.angle;
  }
  const Turned box(piece, tilt);
  const double along = box.u1 - box.u0;
  const double across = box.v1 - box.v0;
  // Its lines may be printed bolder than the ink's typical stroke: as thick
  // as its pixels over its outline's length, if more.
  const double thickness = static_cast<double>(piece.size()) / (2 * (along + across));
  const double near = kSideWidths * std::max(width, thickness) + 1;
  if (std::min(along, across) < std::max(kLeastSidePerWidth * width, 4 * near)) return false;
  // The whole pixels along each side (top, bottom, left, right) with ink.
  std::vector<bool> sides[4] = {std::vector<bool>(static_cast<size_t>(along) + 1),
                                std::vector<bool>(static_cast<size_t>(along) + 1),
                                std::vector<bool>(static_cast<size_t>(across) + 1),
                                std::vector<bool>(static_cast<size_t>(across) + 1)};
  size_t off = 0;
  for (const InkSpot& at : piece) {
    const double u = box.U(at) - box.u0;
    const double v = box.V(at) - box.v0;
    const bool on[4] = {v <= near, across - v <= near, u <= near, along - u <= near};
    if (!on[0] && !on[1] && !on[2] && !on[3]) ++off;
    for (int side = 0; side < 4; ++side) {
      if (on[side]) sides[side][static_cast<size_t>(side < 2 ? u : v)] = true;
    }
  }
  if (static_cast<double>(off) > kMostOffShare * static_cast<double>(piece.size())) return false;
  return std::all_of(std::begin(sides), std::end(sides), [](const std::vector<bool>& side) {
    return static_cast<double>(std::count(side.begin(), side.end(), true)) >=
           kLeastSideCover * static_cast<double>(side.size());
  });
}

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
  bool print = true;
  // The first piece of writing, or marks too many, end the walk.
  QUOREL_TRY(ForEachPiece(walked, [&](std::span<const InkSpot> piece) -> Result<bool> {
    int32_t left = std::numeric_limits<int32_t>::max(), right = -1, top = left, bottom = -1;
    for (const InkSpot& at : piece) {
      left = std::min(left, at.x), right = std::max(right, at.x);
      top = std::min(top, at.y), bottom = std::max(bottom, at.y);
    }
    const auto size = static_cast<int64_t>(piece.size());
    if (std::max(right - left, bottom - top) + 1 <= kMarkPerWidth * width) {
      marks += size;
      print = static_cast<double>(marks) <= most_marks;
      return print;
    }
    PieceSpread spread;
    for (const InkSpot& at : piece) spread.Add(at.x, at.y);
    if (spread.Straight(width)) {
      ++straight;
    } else if (BoxOutline(piece, width)) {
      straight += kBoxSides;
    } else {
      print = false;
    }
    lines += size;
    return print;
  }));
  return print && straight >= kLeastLines &&
         static_cast<double>(marks) <= kMostMarkShare * static_cast<double>(lines);
}

}  // namespace quorel
