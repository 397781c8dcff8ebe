// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/WidePieces.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "image/cleanup/PieceBoxes.h"

namespace quorel {
namespace {

constexpr double kMostWidthPerStroke = 3;
constexpr int32_t kLongestWidth = 255;  // counted of a width

// The column's run through (x, y), counted up to `most`.
int32_t ColumnRun(const InkBits& ink, int32_t x, int32_t y, int32_t most) {
  int32_t run = 1;
  for (int32_t up = y - 1; up >= 0 && run < most && ink.Get(x, up); --up) ++run;
  for (int32_t down = y + 1; down < ink.height() && run < most && ink.Get(x, down); ++down) ++run;
  return run;
}

// The width of the ink at a run: its length, or the columns' runs through
// it, at a quarter, half and three quarters of its length (a stroke crossing
// a bar's middle is no width of the bar), where those are shorter.
int32_t WidthAt(const InkBits& ink, const InkRun& run) {
  const int32_t length = run.right - run.left;
  int32_t width = std::min(length, kLongestWidth);
  for (const int32_t quarter : {1, 2, 3}) {
    width = std::min(width, ColumnRun(ink, run.left + length * quarter / 4, run.y, width));
  }
  return width;
}

}  // namespace

Result<void> RemoveWidePieces(InkBits& ink, double stroke) {
  const std::vector<InkRun> runs = QUOREL_TRY(PieceRuns(ink));
  if (runs.empty()) return {};
  std::vector<int32_t> widths(runs.size());
  std::array<int64_t, kLongestWidth + 1> pixels_at{};
  int64_t area = 0;
  for (size_t i = 0; i < runs.size(); ++i) {
    widths[i] = WidthAt(ink, runs[i]);
    pixels_at[static_cast<size_t>(widths[i])] += runs[i].right - runs[i].left;
    area += runs[i].right - runs[i].left;
  }
  // The ink's median width: its pixels', each run standing for its own.
  int32_t typical = 0;
  for (int64_t seen = pixels_at[0]; 2 * seen < area;) seen += pixels_at[static_cast<size_t>(++typical)];
  const double most = kMostWidthPerStroke * std::max<double>(stroke, typical);
  // A piece goes when most of its pixels lie where it is wider than that.
  uint32_t pieces = 0;
  for (const InkRun& run : runs) pieces = std::max(pieces, run.piece + 1);
  std::vector<int64_t> wide(pieces);
  std::vector<int64_t> all(wide.size());
  for (size_t i = 0; i < runs.size(); ++i) {
    const int32_t length = runs[i].right - runs[i].left;
    all[runs[i].piece] += length;
    if (widths[i] > most) wide[runs[i].piece] += length;
  }
  for (const InkRun& run : runs) {
    if (2 * wide[run.piece] <= all[run.piece]) continue;
    for (int32_t x = run.left; x < run.right; ++x) ink.Clear(x, run.y);
  }
  return {};
}

}  // namespace quorel
