// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/PieceBoxes.h"

#include <algorithm>
#include <cstdint>

namespace quorel {
namespace {

// Labels joined keep the smaller: a piece's is its first run's.
uint32_t Root(std::vector<uint32_t>& parent, uint32_t label) {
  while (parent[label] != label) label = parent[label] = parent[parent[label]];
  return label;
}

}  // namespace

Result<std::vector<InkRun>> PieceRuns(const InkBits& ink) {
  std::vector<uint32_t> parent;
  std::vector<InkRun> runs;  // labelled by their place, then by piece
  std::vector<InkRun> above;
  std::vector<InkRun> here;
  const int32_t w = ink.width();
  for (int32_t y = 0; y < ink.height(); ++y) {
    here.clear();
    if (ink.RowHasInk(y)) {
      const uint8_t* row = ink.Row(y);
      const auto at = [&](int32_t x) { return (row[x >> 3] >> (x & 7)) & 1; };
      size_t a = 0;  // the first run above that may touch this row's next
      for (int32_t x = 0; x < w;) {
        if ((x & 7) == 0 && row[x >> 3] == 0) {
          x += 8;
          continue;
        }
        if (!at(x)) {
          ++x;
          continue;
        }
        const int32_t left = x;
        while (x < w && at(x)) ++x;
        const auto label = static_cast<uint32_t>(parent.size());
        parent.push_back(label);
        runs.push_back({y, left, x, label});
        here.push_back(runs.back());
        // Runs above from a pixel before to a pixel after this one join it.
        while (a < above.size() && above[a].right < left) ++a;
        for (size_t b = a; b < above.size() && above[b].left <= x; ++b) {
          const uint32_t r1 = Root(parent, label);
          const uint32_t r2 = Root(parent, above[b].piece);
          parent[std::max(r1, r2)] = std::min(r1, r2);
        }
      }
    }
    above.swap(here);
  }
  // The pieces in the order of their first runs' labels.
  std::vector<uint32_t> index(parent.size());
  uint32_t pieces = 0;
  for (InkRun& run : runs) {
    const uint32_t root = Root(parent, run.piece);
    if (root == run.piece) index[root] = pieces++;
    run.piece = index[root];
  }
  return runs;
}

Result<std::vector<PieceBox>> PieceBoxes(const InkBits& ink) {
  // A piece's first run comes before any of a later piece's.
  std::vector<PieceBox> pieces;
  for (const InkRun& run : QUOREL_TRY(PieceRuns(ink))) {
    const PixelRect box{run.left, run.y, run.right, run.y + 1};
    if (run.piece == pieces.size()) {
      pieces.push_back({box, {run.left, run.y}, run.right - run.left});
      continue;
    }
    PieceBox& piece = pieces[run.piece];
    piece.area += box.right - box.left;
    piece.box = {std::min(piece.box.left, box.left), std::min(piece.box.top, box.top),
                 std::max(piece.box.right, box.right), std::max(piece.box.bottom, box.bottom)};
  }
  return pieces;
}

}  // namespace quorel
