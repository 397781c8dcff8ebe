// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/SignHereMark.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <span>

#include "image/cleanup/InkPieces.h"

namespace quorel {
namespace {

constexpr size_t kLeastPixels = 12;
constexpr double kMostAspect = 1.67;     // width over height, either way
constexpr double kLeastStrokesAcross = 5;
constexpr int kAngleStep = 2;            // degrees between the directions tried
constexpr int kLeastBetween = 50;        // degrees between the two strokes, at least
constexpr int kMostOffDiagonal = 20;     // degrees
constexpr double kBandPerStroke = 0.6;    // a stroke's band, each side of its middle
constexpr double kLeastOnStrokes = 0.92;  // of the pixels
constexpr double kLeastArmShare = 0.1;    // of the pixels, each arm
constexpr double kLeastArmReach = 0.6;    // of half the box's diagonal, each arm

struct Stroke {
  int angle = 0;  // degrees, 0 along the rows
  double cos = 1, sin = 0;
};

// Whether a piece of ink (within `box`) is drawn as a printed ×
// (RemoveSignHereMarks).
bool ShapedAsACross(std::span<const InkSpot> piece, const PixelRect& box) {
  const size_t n = piece.size();
  if (n < kLeastPixels) return false;
  double cx = 0, cy = 0;
  for (const auto [x, y] : piece) cx += x, cy += y;
  cx /= static_cast<double>(n), cy /= static_cast<double>(n);
  const double width = box.right - box.left;
  const double height = box.bottom - box.top;
  if (width > kMostAspect * height || height > kMostAspect * width) return false;
  // Two strokes corner to corner: their width is the pixels over their length.
  const double diagonal = std::hypot(width, height);
  const double stroke = std::max(1.0, static_cast<double>(n) / (2 * diagonal));
  if (std::min(width, height) < kLeastStrokesAcross * stroke) return false;
  // A band's half-width: the stroke's, a pixel for its ragged edge, and a
  // tenth of the stroke for a bold ×'s square ends and a photo's perspective.
  const double half = kBandPerStroke * stroke + 1;
  const auto on = [&](const Stroke& s, const InkSpot& p) {
    return std::abs(-s.sin * (p.x - cx) + s.cos * (p.y - cy)) <= half;
  };
  // The direction through the middle holding most pixels, then the most
  // across it.
  std::array<Stroke, 180 / kAngleStep> strokes{};
  std::array<size_t, 180 / kAngleStep> counts{};
  for (size_t i = 0; i < strokes.size(); ++i) {
    const int angle = static_cast<int>(i) * kAngleStep;
    const double radians = angle * std::numbers::pi / 180;
    strokes[i] = {angle, std::cos(radians), std::sin(radians)};
    for (const InkSpot& p : piece) counts[i] += on(strokes[i], p);
  }
  const auto apart = [](int a, int b) { return std::min(std::abs(a - b), 180 - std::abs(a - b)); };
  const size_t first = static_cast<size_t>(std::max_element(counts.begin(), counts.end()) - counts.begin());
  size_t second = first;
  for (size_t i = 0; i < strokes.size(); ++i) {
    if (apart(strokes[i].angle, strokes[first].angle) >= kLeastBetween &&
        (second == first || counts[i] > counts[second])) {
      second = i;
    }
  }
  if (second == first) return false;
  for (const size_t i : {first, second}) {
    if (apart(strokes[i].angle, 45) > kMostOffDiagonal && apart(strokes[i].angle, 135) > kMostOffDiagonal) {
      return false;
    }
  }
  // Nearly every pixel on the two, and each arm reaching out on its own.
  std::array<size_t, 4> arm_pixels{};
  std::array<double, 4> arm_reach{};
  size_t on_strokes = 0;
  for (const InkSpot& p : piece) {
    bool counted = false;
    for (size_t k = 0; k < 2; ++k) {
      const Stroke& s = strokes[k == 0 ? first : second];
      if (!on(s, p)) continue;
      counted = true;
      const double along = s.cos * (p.x - cx) + s.sin * (p.y - cy);
      if (std::abs(along) <= stroke) continue;  // the crossing is both strokes'
      const size_t arm = 2 * k + (along > 0);
      ++arm_pixels[arm];
      arm_reach[arm] = std::max(arm_reach[arm], std::abs(along));
    }
    on_strokes += counted;
  }
  if (static_cast<double>(on_strokes) < kLeastOnStrokes * static_cast<double>(n)) return false;
  for (size_t arm = 0; arm < 4; ++arm) {
    if (static_cast<double>(arm_pixels[arm]) < kLeastArmShare * static_cast<double>(n) ||
        arm_reach[arm] < kLeastArmReach * diagonal / 2) {
      return false;
    }
  }
  return true;
}

// Calls clear(piece) for each piece of `pieces` (emptied) that is a printed
// × standing on a line.
template <class Clear>
Result<void> ForEachSignHereMark(InkBits& pieces, const PaperLines& lines, Clear clear) {
  return ForEachPiece(pieces, [&](std::span<const InkSpot> piece) -> Result<void> {
    const PixelRect box = BoxOf(piece);
    if (lines.RunsUnder(box, box.bottom - box.top) && ShapedAsACross(piece, box)) clear(piece);
    return {};
  });
}

}  // namespace

Result<void> RemoveSignHereMarks(InkBits& ink, const PaperLines& lines) {
  if (!lines.AnyNearTheRows()) return {};  // nothing to stand on: the pieces are not walked
  InkBits pieces = QUOREL_TRY(ink.Copy());
  return ForEachSignHereMark(pieces, lines, [&](std::span<const InkSpot> piece) {
    for (const auto [x, y] : piece) ink.Clear(x, y);
  });
}

Result<InkBits> BoldSignHereMarks(const InkBits& ink, const PaperLines& lines, double pen) {
  if (!lines.AnyNearTheRows() || pen <= 0) return InkBits::Create(0, 0);
  // A square of side 2 × ⌈pen / 2⌉ + 1, at least a pixel wider than the pen's strokes.
  InkBits bold = QUOREL_TRY(Opened(ink, static_cast<int32_t>(std::ceil(pen / 2))));
  InkBits marks = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
  bool any = false;
  QUOREL_TRY(ForEachSignHereMark(bold, lines, [&](std::span<const InkSpot> piece) {
    for (const auto [x, y] : piece) marks.Set(x, y);
    any = true;
  }));
  // With the pixel round the opened outline: a photo's ragged edge.
  return any ? Grown(marks, 1) : InkBits::Create(0, 0);
}

}  // namespace quorel
