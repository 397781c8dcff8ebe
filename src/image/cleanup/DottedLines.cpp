// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/DottedLines.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "common/Buffer.h"
#include "image/cleanup/MedianOf.h"
#include "image/cleanup/PieceBoxes.h"

namespace quorel {
namespace {

constexpr size_t kLeastDots = 12;
constexpr double kSteepest = 0.14;          // tan 8°
constexpr double kMostStepPerStroke = 6;    // from one dot's centre to the next, and 4 px
constexpr double kMostOffPerStroke = 0.2;   // of the row's line, and a pixel and a half
constexpr double kEvenGap = 0.4;            // of the median gap, either way
constexpr double kLeastEvenShare = 0.8;     // of the gaps
constexpr double kMostAreaSpread = 1.0 / 3;  // of the mean area: its standard deviation
constexpr int64_t kWorkPerDot = 64;          // dots looked at, in all rows

struct Dot {
  double x, y;  // its box's centre
  double area;
  InkSpot first;  // its first pixel
};

// Whether the dots of a row are spaced and sized evenly, as printed: most
// gaps within kEvenGap of their median (the name's crossings take a dot or
// two out), the areas' spread under kMostAreaSpread of their mean (a
// pencil's flakes along a straight stroke vary more).
bool Even(std::span<const Dot> dots, std::span<const size_t> row) {
  if (row.size() < kLeastDots) return false;
  std::vector<double> gaps;
  double sum = 0;
  double squares = 0;
  for (size_t k = 0; k < row.size(); ++k) {
    const double area = dots[row[k]].area;
    sum += area, squares += area * area;
    if (k > 0) gaps.push_back(dots[row[k]].x - dots[row[k - 1]].x);
  }
  const auto n = static_cast<double>(row.size());
  const double mean = sum / n;
  const double spread = std::sqrt(std::max(0.0, squares / n - mean * mean));
  const double gap = MedianOf(gaps);
  const auto even = std::count_if(gaps.begin(), gaps.end(), [&](double g) { return std::abs(g - gap) <= kEvenGap * gap; });
  return static_cast<double>(even) >= kLeastEvenShare * static_cast<double>(gaps.size()) &&
         spread <= kMostAreaSpread * mean;
}

}  // namespace

Result<void> RemoveDottedLines(InkBits& ink, double stroke) {
  const double tallest = 2 * stroke + 1;
  const double longest = 6 * stroke + 2;
  std::vector<Dot> dots;
  for (const PieceBox& piece : QUOREL_TRY(PieceBoxes(ink))) {
    const PixelRect& box = piece.box;
    if (box.bottom - box.top > tallest || box.right - box.left > longest) continue;
    dots.push_back({(box.left + box.right) / 2.0, (box.top + box.bottom) / 2.0, static_cast<double>(piece.area),
                    piece.first});
  }
  if (dots.size() < kLeastDots) return {};
  std::sort(dots.begin(), dots.end(), [](const Dot& a, const Dot& b) { return a.x < b.x; });
  const double step = kMostStepPerStroke * stroke + 4;
  const double off = kMostOffPerStroke * stroke + 1.5;
  std::vector<bool> used(dots.size());
  std::vector<size_t> row;
  Buffer<InkSpot> taken;
  // A dot freed by an uneven row starts its own: the work is bounded, as a
  // sheet's grain may be thousands of specks.
  int64_t work = kWorkPerDot * static_cast<int64_t>(dots.size());
  // Rows walked from their leftmost dot, each dot taken by the first row that
  // reaches it: the nearest dot further along on the row's line is the next.
  for (size_t start = 0; start < dots.size() && work > 0; ++start) {
    if (used[start]) continue;
    row.assign(1, start);
    used[start] = true;
    for (;;) {
      const Dot& last = dots[row.back()];
      const Dot& first = dots[row.front()];
      const double slope =
          row.size() < 2 ? 0 : std::clamp((last.y - first.y) / std::max(1.0, last.x - first.x), -kSteepest, kSteepest);
      size_t next = dots.size();
      for (size_t j = row.back() + 1; j < dots.size() && dots[j].x <= last.x + step && --work > 0; ++j) {
        const double dx = dots[j].x - last.x;
        const double allowed = off + (row.size() < 2 ? kSteepest * dx : 0);
        if (!used[j] && dx > 0 && std::abs(dots[j].y - last.y - slope * dx) <= allowed) {
          next = j;
          break;
        }
      }
      if (next == dots.size()) break;
      row.push_back(next);
      used[next] = true;
    }
    if (!Even(dots, row)) {
      for (size_t k = 1; k < row.size(); ++k) used[row[k]] = false;  // free for a row of their own
      continue;
    }
    for (const size_t k : row) QUOREL_TRY(TakePiece(ink, dots[k].first, taken));
  }
  return {};
}

}  // namespace quorel
