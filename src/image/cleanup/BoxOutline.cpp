// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/BoxOutline.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace quorel {
namespace {

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

}  // namespace

bool BoxOutline(std::span<const InkSpot> piece, double width, int32_t picture_width, int32_t picture_height) {
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
  // The sides the photo cut: the piece reaches the picture's border there.
  const PixelRect reach = BoxOf(piece);
  const bool cut[4] = {picture_height > 0 && reach.top == 0, picture_height > 0 && reach.bottom == picture_height,
                       picture_width > 0 && reach.left == 0, picture_width > 0 && reach.right == picture_width};
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
  for (int side = 0; side < 4; ++side) {
    const auto inked = static_cast<double>(std::count(sides[side].begin(), sides[side].end(), true));
    if (!cut[side] && inked < kLeastSideCover * static_cast<double>(sides[side].size())) return false;
  }
  return true;
}

}  // namespace quorel
