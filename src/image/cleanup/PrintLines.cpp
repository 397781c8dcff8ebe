// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/PrintLines.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

#include "image/cleanup/InkPieces.h"

namespace quorel {
namespace {

constexpr int kLeastGlyphs = 6;
constexpr double kGlyphShareOfName = 0.5;   // a glyph at most this share of the tallest piece's height
constexpr double kLikeHeights = 2.5;        // neighbouring glyphs' heights within this ratio
constexpr double kLineLengthPerHeight = 5;  // a line at least this many of its glyphs' heights long
// A glyph is compared with at most this many glyphs to its right (several
// lines side by side interleave), which bounds the work on any picture.
constexpr size_t kNeighbours = 64;

struct Piece {
  PixelRect box;
  int64_t area = 0;
  int64_t order = 0;  // among all pieces, specks too, as the walk finds them
  int32_t height() const { return box.bottom - box.top; }
};

int32_t Find(std::vector<int32_t>& parent, int32_t i) {
  while (parent[i] != i) i = parent[i] = parent[parent[i]];
  return i;
}

}  // namespace

Result<void> RemovePrintLines(InkBits& ink, double stroke) {
  InkBits walked = QUOREL_TRY(ink.Copy());
  // Pieces over two stroke widths high (a speck is neither writing nor a
  // glyph), so a grainy photo's specks take no memory.
  std::vector<Piece> pieces;
  int64_t found = 0;
  int64_t total = 0;  // all ink
  WalkPieces(walked, 1, [](int32_t, int32_t) {}, [&](const auto&, int64_t area, const PixelRect& box) {
    if (box.bottom - box.top >= 2 * stroke) pieces.push_back({box, area, found});
    ++found, total += area;
  });
  int32_t tallest = 0;
  for (const Piece& p : pieces) tallest = std::max(tallest, p.height());
  const auto writes = [&](const Piece& p) { return p.height() > kGlyphShareOfName * tallest; };
  // Glyphs: pieces much smaller than the writing.
  std::vector<int32_t> glyphs;
  for (int32_t i = 0; i < static_cast<int32_t>(pieces.size()); ++i) {
    const Piece& p = pieces[i];
    if (!writes(p)) glyphs.push_back(i);
  }
  // Glyphs side by side with like heights, overlapping rows and gaps under
  // their height are joined into rows.
  std::sort(glyphs.begin(), glyphs.end(),
            [&](int32_t a, int32_t b) { return pieces[a].box.left < pieces[b].box.left; });
  std::vector<int32_t> parent(pieces.size());
  std::iota(parent.begin(), parent.end(), 0);
  for (size_t a = 0; a < glyphs.size(); ++a) {
    const Piece& p = pieces[glyphs[a]];
    for (size_t b = a + 1; b < std::min(glyphs.size(), a + 1 + kNeighbours); ++b) {
      const Piece& q = pieces[glyphs[b]];
      if (q.box.left > p.box.right + tallest) break;
      const int32_t high = std::max(p.height(), q.height());
      const int32_t low = std::min(p.height(), q.height());
      const int32_t overlap = std::min(p.box.bottom, q.box.bottom) - std::max(p.box.top, q.box.top);
      if (q.box.left - p.box.right > high || high > kLikeHeights * low || 2 * overlap < low) continue;
      parent[Find(parent, glyphs[a])] = Find(parent, glyphs[b]);
    }
  }
  // Each row of glyphs: how many, how long, how high.
  struct Row {
    int32_t count = 0, left = INT32_MAX, right = 0, top = INT32_MAX, bottom = 0;
    int64_t heights = 0;
  };
  std::vector<Row> rows(pieces.size());
  for (const int32_t g : glyphs) {
    Row& r = rows[Find(parent, g)];
    ++r.count, r.heights += pieces[g].height();
    r.left = std::min(r.left, pieces[g].box.left), r.right = std::max(r.right, pieces[g].box.right);
    r.top = std::min(r.top, pieces[g].box.top), r.bottom = std::max(r.bottom, pieces[g].box.bottom);
  }
  // The rows of the picture the writing's own pieces span (counted from the
  // top): print lies above or below the name, while a name's small letters
  // run beside its capitals.
  // writing[y]: how many of the rows above y the writing spans.
  std::vector<int32_t> writing(static_cast<size_t>(ink.height()) + 1, 0);
  int64_t large = 0;  // the writing's ink
  for (const Piece& p : pieces) {
    if (writes(p)) ++writing[p.box.top], --writing[p.box.bottom], large += p.area;
  }
  int32_t depth = 0;  // of the writing's pieces over the row
  for (size_t y = 0, spanned = 0; y < writing.size(); ++y) {
    depth += writing[y];
    writing[y] = static_cast<int32_t>(spanned);
    spanned += depth > 0;
  }
  // With few writing pieces (bounded work), a row is beside the writing
  // only where it runs beside one of them: a glyph of it within a glyph's
  // height to the piece's side lies mostly in the piece's rows. A tilted line
  // of print (a curled page) spans the writing's rows, yet passes above or
  // below each of its pieces.
  std::vector<int32_t> large_pieces;
  for (int32_t i = 0; i < static_cast<int32_t>(pieces.size()); ++i) {
    if (writes(pieces[i])) large_pieces.push_back(i);
  }
  const bool by_piece = large_pieces.size() <= kNeighbours;
  std::vector<char> runs_beside(by_piece ? pieces.size() : 0, 0);  // by row
  for (size_t i = 0; by_piece && i < glyphs.size(); ++i) {
    const PixelRect& b = pieces[glyphs[i]].box;
    const int32_t high = pieces[glyphs[i]].height();
    for (const int32_t l : large_pieces) {
      const PixelRect& w = pieces[l].box;
      const int32_t overlap = std::min(b.bottom, w.bottom) - std::max(b.top, w.top);
      if (b.left <= w.right + high && b.right >= w.left - high && 2 * overlap >= high) {
        runs_beside[Find(parent, glyphs[i])] = 1;
      }
    }
  }
  const auto beside_writing = [&](int32_t root) {
    const Row& r = rows[root];
    return by_piece ? runs_beside[root] != 0 : writing[r.bottom] > writing[r.top];
  };
  std::vector<int64_t> print;  // the pieces' order
  int64_t taken = 0;
  for (const int32_t g : glyphs) {
    const int32_t root = Find(parent, g);
    const Row& r = rows[root];
    if (r.count >= kLeastGlyphs && int64_t{r.right - r.left} * r.count >= kLineLengthPerHeight * r.heights &&
        !beside_writing(root)) {
      print.push_back(pieces[g].order), taken += pieces[g].area;
    }
  }
  // The writing's own pieces must hold more ink than what is left beside
  // them: on a page of small writing, rows of glyphs are the writing.
  if (taken == 0 || large <= total - taken - large) return {};
  // Walked again in the same order: each piece's pixels come back unless it is print.
  std::sort(print.begin(), print.end());
  int64_t order = 0;
  auto next = print.begin();  // the next piece of print, in the walk's order
  WalkPieces(
      ink, 1,
      [&](int32_t x, int32_t y) {
        if (next == print.end() || *next != order) walked.Set(x, y);
      },
      [&](const auto&, int64_t, const PixelRect&) {
        if (next != print.end() && *next == order) ++next;
        ++order;
      });
  std::swap(ink, walked);
  return {};
}

}  // namespace quorel
