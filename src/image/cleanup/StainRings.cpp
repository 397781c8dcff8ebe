// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/StainRings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <span>
#include <vector>

#include "common/Buffer.h"
#include "image/cleanup/InkPieces.h"

namespace quorel {
namespace {

constexpr double kLeastRadiusPerStroke = 12;  // a capital O is a few strokes across, a cup's ring dozens
constexpr double kMostOffPerRadius = 0.1;     // a stain's edge wobbles a little, a hand's loop more
constexpr double kLeastOnShare = 0.9;         // of the pixels, within that of the circle
constexpr int kTurnParts = 36;
constexpr int kLeastTurnParts = kTurnParts / 2;  // holding pixels: half the ring, the border may cut the rest
constexpr int kLeastArcParts = 4;                // an arc's own turn: a straight stroke's circle is huge, its turn none
constexpr double kLeastWidthPerOther = 2;        // the ring's width over the tallest other piece's height
constexpr size_t kLeastPixels = 32;
constexpr int kMostFits = 3;  // of one ring to the arcs left on it

struct Circle {
  double x = 0;
  double y = 0;
  double radius = 0;
};

// The circle nearest the pixels' centres in the algebraic sense (Kåsa's fit),
// from coordinates about their mean; none (radius 0) for pixels in a line.
Circle FitCircle(std::span<const InkSpot> pixels) {
  double mx = 0;
  double my = 0;
  for (const auto [x, y] : pixels) mx += x + 0.5, my += y + 0.5;
  const auto n = static_cast<double>(pixels.size());
  mx /= n, my /= n;
  double suu = 0, svv = 0, suv = 0, suuu = 0, svvv = 0, suvv = 0, svuu = 0;
  for (const auto [x, y] : pixels) {
    const double u = x + 0.5 - mx;
    const double v = y + 0.5 - my;
    suu += u * u, svv += v * v, suv += u * v;
    suuu += u * u * u, svvv += v * v * v, suvv += u * v * v, svuu += v * u * u;
  }
  const double det = suu * svv - suv * suv;
  if (det <= 1e-9 * (suu * svv + 1)) return {};
  const double bu = (suuu + suvv) / 2;
  const double bv = (svvv + svuu) / 2;
  const double a = (bu * svv - bv * suv) / det;
  const double b = (bv * suu - bu * suv) / det;
  return {mx + a, my + b, std::sqrt(a * a + b * b + (suu + svv) / n)};
}

// How pixels lie on a circle: the share within kMostOffPerRadius of it, and
// the parts of its turn those hold.
struct OnCircle {
  double share = 0;
  int parts = 0;
  bool On() const { return share >= kLeastOnShare; }
};

OnCircle Measure(std::span<const InkSpot> pixels, const Circle& circle) {
  size_t on = 0;
  std::array<bool, kTurnParts> turn{};
  for (const auto [x, y] : pixels) {
    const double dx = x + 0.5 - circle.x;
    const double dy = y + 0.5 - circle.y;
    if (std::abs(std::hypot(dx, dy) - circle.radius) > kMostOffPerRadius * circle.radius) continue;
    ++on;
    const double part = (std::atan2(dy, dx) + std::numbers::pi) / (2 * std::numbers::pi) * kTurnParts;
    turn[static_cast<size_t>(std::clamp(static_cast<int>(part), 0, kTurnParts - 1))] = true;
  }
  return {static_cast<double>(on) / static_cast<double>(std::max<size_t>(1, pixels.size())),
          static_cast<int>(std::count(turn.begin(), turn.end(), true))};
}

struct Arc {
  size_t first, end;  // its pixels in the arcs' buffer
  int32_t height;
  bool in_ring = true;
};

}  // namespace

Result<void> RemoveStainRings(InkBits& ink, double stroke) {
  const double least_radius = kLeastRadiusPerStroke * stroke;
  // The pieces that lie on a wide circle of their own: a ring whole, or its
  // arcs where its lighter stretches broke it.
  Buffer<InkSpot> pixels;
  std::vector<Arc> arcs;
  int32_t tallest_other = 0;
  InkBits walked = QUOREL_TRY(ink.Copy());
  QUOREL_TRY(ForEachPiece(walked, [&](std::span<const InkSpot> piece) -> Result<void> {
    const PixelRect box = BoxOf(piece);
    const Circle own = piece.size() >= kLeastPixels ? FitCircle(piece) : Circle{};
    const bool arc = own.radius >= least_radius && [&] {
      const OnCircle on = Measure(piece, own);
      return on.On() && on.parts >= kLeastArcParts;
    }();
    if (arc) {
      arcs.push_back({pixels.size(), pixels.size() + piece.size(), box.bottom - box.top});
      QUOREL_TRY(pixels.Append(piece));
    } else {
      tallest_other = std::max(tallest_other, box.bottom - box.top);
    }
    return {};
  }));
  if (arcs.empty()) return {};
  // One ring of them all: fitted to the arcs on it, each arc that does not
  // lie on it left as another piece, until none is left out (or no ring).
  Buffer<InkSpot> ring;
  Circle circle;
  bool changed = true;
  for (int round = 0; changed && round < kMostFits; ++round) {
    ring.Clear();
    for (const Arc& arc : arcs) {
      if (arc.in_ring) QUOREL_TRY(ring.Append(std::span(pixels).subspan(arc.first, arc.end - arc.first)));
    }
    if (ring.size() == 0) return {};
    circle = FitCircle(ring);
    changed = false;
    for (Arc& arc : arcs) {
      const bool on = arc.in_ring && Measure(std::span(pixels).subspan(arc.first, arc.end - arc.first), circle).On();
      changed = changed || on != arc.in_ring;
      arc.in_ring = on;
    }
  }
  if (changed) return {};
  for (const Arc& arc : arcs) {
    if (!arc.in_ring) tallest_other = std::max(tallest_other, arc.height);
  }
  const OnCircle on = Measure(ring, circle);
  if (circle.radius < least_radius || !on.On() || on.parts < kLeastTurnParts ||
      2 * circle.radius < kLeastWidthPerOther * tallest_other) {
    return {};
  }
  for (const Arc& arc : arcs) {
    if (!arc.in_ring) continue;
    for (const auto [x, y] : std::span(pixels).subspan(arc.first, arc.end - arc.first)) ink.Clear(x, y);
  }
  return {};
}

}  // namespace quorel
