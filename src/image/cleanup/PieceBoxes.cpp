// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/PieceBoxes.h"

#include <algorithm>
#include <cstdint>

namespace quorel {
namespace {

struct Run {
  int32_t left, right;  // one past its last pixel
  uint32_t label;
};

// Labels joined keep the smaller: a piece's is its first run's.
uint32_t Root(std::vector<uint32_t>& parent, uint32_t label) {
  while (parent[label] != label) label = parent[label] = parent[parent[label]];
  return label;
}

}  // namespace

Result<std::vector<PieceBox>> PieceBoxes(const InkBits& ink) {
  std::vector<uint32_t> parent;
  std::vector<PieceBox> boxes;  // by run, then by piece
  std::vector<Run> above;
  std::vector<Run> here;
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
        boxes.push_back({{left, y, x, y + 1}, {left, y}, x - left});
        here.push_back({left, x, label});
        // Runs above from a pixel before to a pixel after this one join it.
        while (a < above.size() && above[a].right < left) ++a;
        for (size_t b = a; b < above.size() && above[b].left <= x; ++b) {
          const uint32_t r1 = Root(parent, label);
          const uint32_t r2 = Root(parent, above[b].label);
          parent[std::max(r1, r2)] = std::min(r1, r2);
        }
      }
    }
    above.swap(here);
  }
  // Each run's box into its piece's, the pieces in the order of their labels.
  std::vector<PieceBox> pieces;
  std::vector<uint32_t> index(parent.size());
  for (uint32_t label = 0; label < parent.size(); ++label) {
    const uint32_t root = Root(parent, label);
    if (root == label) {
      index[label] = static_cast<uint32_t>(pieces.size());
      pieces.push_back(boxes[label]);
      continue;
    }
    PieceBox& piece = pieces[index[root]];
    PixelRect& box = piece.box;
    const PixelRect& run = boxes[label].box;
    piece.area += boxes[label].area;
    box = {std::min(box.left, run.left), std::min(box.top, run.top), std::max(box.right, run.right),
           std::max(box.bottom, run.bottom)};
  }
  return pieces;
}

}  // namespace quorel
