// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/PrintLines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <span>
#include <tuple>
#include <vector>

#include "image/cleanup/InkPieces.h"
#include "image/cleanup/MedianOf.h"
#include "image/cleanup/PieceSpread.h"

namespace quorel {
namespace {

constexpr int kLeastGlyphs = 6;
// A shorter row (a receipt's item, a form's caption) is print only beside
// other print: stacked with rows of its size, or as long as a line, of the
// size of one found and of glyphs each at most two heights wide (a hand's
// short row joins its letters into wider pieces).
constexpr int kLeastShort = 3;
constexpr int32_t kWidestShortGlyph = 2;
constexpr int kLeastStacked = 3;          // rows in a stack of print
constexpr double kStackHeights = 2;       // stacked rows' heights within this ratio (a heading, perspective)
constexpr double kStackGapPerHeight = 4;  // between stacked rows, in the higher one's heights
// A line stacked with a line of print is print with its feet straying up to
// this many times as far (a noisy picture's).
constexpr double kStackedStray = 2;
constexpr int kLeastContinued = 2;  // glyphs beyond a gap in a line of print
// A glyph's pieces (a kanji's strokes, the bars of "=") lie apart by up to
// about three stroke widths: grown by half that, they join.
constexpr double kJoinPerStroke = 1.5;
constexpr double kGlyphShareOfName = 0.5;   // a piece over this share of the tallest one's height writes
constexpr double kLikeHeights = 2.5;        // neighbouring glyphs' heights within this ratio
constexpr double kCaptionHeights = 2;       // the writing's piece over this many of a caption's glyph
constexpr int32_t kWidestGlyph = 4;         // a glyph (or glyphs touching) at most this many heights wide
// Print's letters are drawn with a stroke of a tenth of their height or
// more (blur thickens it); a hand's letters, broken into pieces, may stand on
// a line too, but a fine pen writes letters of many strokes' height.
constexpr double kTallestGlyphStrokes = 20;
// A name's capital is at most this many of its small letters high; a larger
// piece beside a row (a desk's edge, a box's corner) says nothing of it.
constexpr int32_t kCapitalPerGlyph = 4;
constexpr double kLineLengthPerHeight = 5;  // a line at least this many of its glyphs' heights long
constexpr double kGapPerHeight = 2.5;       // a gap between words, in glyph heights
// Print stands on its line to the pixel: its glyphs' feet stray from it less
// than a pixel (or, in a close-up blurred and bent by the lens, a small share
// of their height; in a larger picture, whose edges blur over more pixels,
// about a third of the stroke), where a hand's letters wander above and below.
constexpr double kGridStray = 1;
constexpr double kStrayPerHeight = 0.035;
constexpr double kStrayPerStroke = 0.35;
// A descender (p, q, y) hangs its foot below the line by over this share of
// the glyphs' height, further than a hand's foot wanders; up to this share
// of a row's glyphs may be such.
constexpr double kDescenderPerHeight = 0.25;
constexpr double kMostDescenderShare = 0.25;
// A glyph is compared with at most this many glyphs to its right (several
// lines side by side interleave), which bounds the work on any picture.
constexpr size_t kNeighbours = 64;
constexpr int64_t kMostHeldPixels = int64_t{1} << 20;  // 8 MB of a piece's pixels
// A ruled line: its pixels spread across its axis no more than a thick
// stroke's, and along it twenty times as far.
constexpr double kRuleAcrossStrokes = 1.5;
constexpr double kRuleAlongPerAcross = 20;

struct Piece {
  PixelRect box;
  int64_t area = 0;
  int64_t order = 0;  // among all pieces, specks too, as the walk finds them
  // Where along its lowest row of pixels the piece stands: a tilted glyph's
  // lowest pixel is at one end of its foot, not under its middle.
  double foot = 0;
  bool rule = false;  // a form's ruled line: straight, thin and long
  int32_t height() const { return box.bottom - box.top; }
};

int32_t Find(std::vector<int32_t>& parent, int32_t i) {
  while (parent[i] != i) i = parent[i] = parent[parent[i]];
  return i;
}

// A glyph's foot (the middle of its lowest row) and its top row.
struct Foot {
  double x, y, top;
};
using Feet = std::vector<Foot>;  // from left to right

Feet FeetOf(const std::vector<Piece>& pieces, std::span<const int32_t> glyphs) {
  Feet feet;
  for (const int32_t g : glyphs) {
    feet.push_back({pieces[g].foot, static_cast<double>(pieces[g].box.bottom), static_cast<double>(pieces[g].box.top)});
  }
  std::sort(feet.begin(), feet.end(), [](const Foot& a, const Foot& b) { return std::tie(a.x, a.y) < std::tie(b.x, b.y); });
  return feet;
}

// Whether a row's glyphs stand on one line (tilted, or bent as a curled page
// bends it): how far each glyph's foot strays from the line through its
// neighbours' feet, in the median, under `stray`. The descenders' feet are
// left out first: each would throw its neighbours' lines off too.
bool StandsOnALine(const Feet& row, double height, double stray) {
  // How far below the line through its neighbours' feet the i-th foot is.
  const auto below = [](const Feet& feet, size_t i) {
    const Foot& a = feet[i - 1];
    const Foot& b = feet[i + 1];
    const double along = b.x > a.x ? (feet[i].x - a.x) / (b.x - a.x) : 0.5;
    return feet[i].y - (a.y + along * (b.y - a.y));
  };
  const double descender = std::max(stray, kDescenderPerHeight * height);
  // A descender's top is as high as a neighbour's (a hand's letter set
  // lower is lower all over).
  const auto hangs = [&](size_t i) {
    return below(row, i) > descender && row[i].top <= std::max(row[i - 1].top, row[i + 1].top) + stray;
  };
  Feet feet;
  for (size_t i = 0; i < row.size(); ++i) {
    if (i == 0 || i + 1 == row.size() || !hangs(i)) feet.push_back(row[i]);
  }
  if (static_cast<double>(row.size() - feet.size()) > kMostDescenderShare * static_cast<double>(row.size())) {
    return false;
  }
  std::vector<double> strays;
  for (size_t i = 1; i + 1 < feet.size(); ++i) strays.push_back(std::abs(below(feet, i)));
  return !strays.empty() && MedianOf(strays) < stray;
}

// Whether most of a row's pieces stand higher than the row's slope lifts
// them, by two strokes: a straight stroke broken into pieces (a pencil's)
// stands on its line as print does, its pieces no higher than it is thick.
bool StandUpright(const std::vector<Piece>& pieces, std::span<const int32_t> glyphs, const Feet& feet,
                  double stroke) {
  const double run = feet.back().x - feet.front().x;
  const double slope = run > 0 ? std::abs(feet.back().y - feet.front().y) / run : 0;
  const auto upright = std::count_if(glyphs.begin(), glyphs.end(), [&](int32_t g) {
    const Piece& p = pieces[g];
    return p.height() - slope * (p.box.right - p.box.left) >= 2 * stroke;
  });
  return 2 * upright > static_cast<std::ptrdiff_t>(glyphs.size());
}

// Marks a line's band in `band`: from its tallest glyph's height below its
// glyphs' feet (joined from foot to foot) to twice that height above them
// (the line and the spacing on either side, where a neighbouring line's
// dashes lie), from its first glyph's left to its last one's right. Returns
// that height.
int32_t MarkBand(const std::vector<Piece>& pieces, std::span<const int32_t> glyphs, InkBits& band) {
  int32_t left = INT32_MAX, right = 0, high = 0;
  for (const int32_t g : glyphs) {
    const Piece& p = pieces[g];
    left = std::min(left, p.box.left), right = std::max(right, p.box.right), high = std::max(high, p.height());
  }
  const Feet feet = FeetOf(pieces, glyphs);
  size_t i = 0;  // the foot at or right of x
  for (int32_t x = left; x < right; ++x) {
    while (i < feet.size() && feet[i].x < x) ++i;
    double y = 0;
    if (i == 0) {
      y = feet.front().y;
    } else if (i == feet.size()) {
      y = feet.back().y;
    } else {
      const Foot& a = feet[i - 1];
      const Foot& b = feet[i];
      y = a.y + (x - a.x) / std::max(1e-9, b.x - a.x) * (b.y - a.y);
    }
    const auto foot = static_cast<int32_t>(std::lround(y));
    const int32_t bottom = std::min(band.height() - 1, foot + high);
    for (int32_t row = std::max(0, foot - 2 * high - 1); row <= bottom; ++row) band.Set(x, row);
  }
  return high;
}

// A row of glyphs: how many, how long, how high, and whether they stand on
// a line.
struct Row {
  int32_t count = 0, left = INT32_MAX, right = 0, top = INT32_MAX, bottom = 0;
  int64_t heights = 0;
  bool straight = false;        // kLeastGlyphs or more, standing on a line
  bool short_straight = false;  // kLeastShort up to kLeastGlyphs, as straight
  bool narrow = false;          // glyphs at most kWidestShortGlyph heights wide
  bool loose = false;           // kLeastGlyphs or more, long, not straight but within kStackedStray
  double height() const { return static_cast<double>(heights) / count; }
  bool LongAsALine() const { return int64_t{right - left} * count >= kLineLengthPerHeight * heights; }
};

bool LikeSizes(double a, double b) { return std::max(a, b) <= kStackHeights * std::min(a, b); }

// Which of `rows` (by root) are print beside other print, away from the
// writing: a straight row stacked one above another (spans overlapping,
// within kStackGapPerHeight) with kLeastStacked straight rows of like sizes
// or with a line of print, a loose line stacked with a line of print, or a
// short row as long as a line, narrow and of the size of one.
template <class IsLine, class Beside>
std::vector<char> RowsAmongPrint(const std::vector<Row>& rows, IsLine is_line, Beside beside) {
  std::vector<int32_t> standing;  // on a line, straight or loose
  std::vector<double> line_heights;
  for (int32_t i = 0; i < static_cast<int32_t>(rows.size()); ++i) {
    if ((rows[i].straight || rows[i].short_straight || rows[i].loose) && !beside(i)) standing.push_back(i);
    if (rows[i].count > 0 && is_line(i)) line_heights.push_back(rows[i].height());
  }
  std::sort(line_heights.begin(), line_heights.end());
  std::sort(standing.begin(), standing.end(), [&](int32_t a, int32_t b) { return rows[a].top < rows[b].top; });
  const auto n = static_cast<int32_t>(standing.size());
  std::vector<int32_t> stack(static_cast<size_t>(n));
  std::iota(stack.begin(), stack.end(), 0);
  for (int32_t a = 0; a < n; ++a) {
    const Row& p = rows[standing[a]];
    for (int32_t b = a + 1; b < std::min<int64_t>(n, a + 1 + int64_t{kNeighbours}); ++b) {
      const Row& q = rows[standing[b]];
      const int32_t gap = std::max(p.top - q.bottom, q.top - p.bottom);
      if (p.left <= q.right && q.left <= p.right && LikeSizes(p.height(), q.height()) &&
          gap <= kStackGapPerHeight * std::max(p.height(), q.height())) {
        stack[Find(stack, a)] = Find(stack, b);
      }
    }
  }
  std::vector<int32_t> members(static_cast<size_t>(n), 0);
  std::vector<char> holds_line(static_cast<size_t>(n), 0);
  for (int32_t a = 0; a < n; ++a) {
    if (!rows[standing[a]].loose) ++members[Find(stack, a)];
    if (is_line(standing[a])) holds_line[Find(stack, a)] = 1;
  }
  std::vector<char> print(rows.size(), 0);
  for (int32_t a = 0; a < n; ++a) {
    const Row& r = rows[standing[a]];
    const int32_t s = Find(stack, a);
    // The smallest line of print at least half this row's size.
    const auto line = std::lower_bound(line_heights.begin(), line_heights.end(), r.height() / kStackHeights);
    const bool sized = line != line_heights.end() && LikeSizes(*line, r.height());
    print[standing[a]] = holds_line[s] || (!r.loose && members[s] >= kLeastStacked) ||
                         (r.short_straight && r.narrow && r.LongAsALine() && sized);
  }
  return print;
}

// The lines of print among the ink's pieces, cleared; a pixel of `ink` is
// `cell` of the picture's across.
Result<void> RemoveLinesOfPieces(InkBits& ink, double stroke, int32_t cell) {
  InkBits walked = QUOREL_TRY(ink.Copy());
  // Pieces over two stroke widths high (a speck is neither writing nor a
  // glyph), so a grainy photo's specks take no memory.
  std::vector<Piece> pieces;
  int64_t found = 0;
  int32_t lowest = -1;  // the walked piece's lowest row, and its pixels there
  int64_t lowest_xs = 0, lowest_count = 0;
  PieceSpread spread;
  const auto on_pixel = [&](int32_t x, int32_t y) {
    if (y > lowest) lowest = y, lowest_xs = 0, lowest_count = 0;
    if (y == lowest) lowest_xs += x, ++lowest_count;
    spread.Add(x, y);
  };
  WalkPieces(walked, 1, on_pixel, [&](const auto&, int64_t area, const PixelRect& box) {
    if (box.bottom - box.top >= 2 * stroke) {
      const bool rule = spread.Across() <= kRuleAcrossStrokes * stroke &&
                        spread.Along() >= kRuleAlongPerAcross * std::max(1.0, spread.Across());
      pieces.push_back({box, area, found, static_cast<double>(lowest_xs) / static_cast<double>(lowest_count), rule});
    }
    ++found, lowest = -1, spread = {};
  });
  // A form's rules (a box around the name, a line to sign on) are neither
  // the writing nor print.
  int32_t tallest = 0;
  for (const Piece& p : pieces) tallest = p.rule ? tallest : std::max(tallest, p.height());
  // Glyphs: pieces not much wider than high (a name's underline is no
  // glyph), up to the writing's own height (a form's print may be as large).
  std::vector<int32_t> glyphs;
  for (int32_t i = 0; i < static_cast<int32_t>(pieces.size()); ++i) {
    const Piece& p = pieces[i];
    if (!p.rule && p.box.right - p.box.left <= kWidestGlyph * p.height()) glyphs.push_back(i);
  }
  // Glyphs side by side with like heights, overlapping rows and gaps under
  // a word's space are joined into rows. The rows' tilt is taken from close
  // neighbours first, so that across a wider gap a tilted row's glyph is not
  // joined to the next row's.
  std::sort(glyphs.begin(), glyphs.end(),
            [&](int32_t a, int32_t b) { return pieces[a].box.left < pieces[b].box.left; });
  const auto centre = [&](const Piece& p) { return (p.box.left + p.box.right) / 2.0; };
  const auto for_neighbours = [&](double gap_per_height, double tilt, auto&& join) {
    for (size_t a = 0; a < glyphs.size(); ++a) {
      const Piece& p = pieces[glyphs[a]];
      for (size_t b = a + 1; b < std::min(glyphs.size(), a + 1 + kNeighbours); ++b) {
        const Piece& q = pieces[glyphs[b]];
        if (q.box.left > p.box.right + kGapPerHeight * tallest) break;
        const int32_t high = std::max(p.height(), q.height());
        const int32_t low = std::min(p.height(), q.height());
        const auto rise = static_cast<int32_t>(std::lround(tilt * (centre(q) - centre(p))));
        const int32_t overlap =
            std::min(p.box.bottom, q.box.bottom - rise) - std::max(p.box.top, q.box.top - rise);
        const int32_t gap = q.box.left - p.box.right;
        // A glyph joins a piece of the writing's size only within a word's
        // space of its own height: a caption before the name ("Signature:")
        // is a row of its own.
        const bool caption = high > kCaptionHeights * low && high > kGlyphShareOfName * tallest &&
                             gap > gap_per_height * low;
        if (gap > gap_per_height * high || caption || high > kLikeHeights * low || 2 * overlap < low) continue;
        join(glyphs[a], glyphs[b]);
      }
    }
  };
  std::vector<double> slopes;
  for_neighbours(1, 0, [&](int32_t a, int32_t b) {
    const double run = centre(pieces[b]) - centre(pieces[a]);
    if (run > 0) slopes.push_back((pieces[b].box.bottom - pieces[a].box.bottom) / run);
  });
  double tilt = 0;  // a row steeper than 45° is no row of print
  if (!slopes.empty()) {
    const auto middle = slopes.begin() + static_cast<std::ptrdiff_t>(slopes.size() / 2);
    std::nth_element(slopes.begin(), middle, slopes.end());
    tilt = std::clamp(*middle, -1.0, 1.0);
  }
  std::vector<int32_t> parent(pieces.size());
  std::iota(parent.begin(), parent.end(), 0);
  for_neighbours(kGapPerHeight, tilt, [&](int32_t a, int32_t b) { parent[Find(parent, a)] = Find(parent, b); });
  std::vector<Row> rows(pieces.size());
  for (const int32_t g : glyphs) {
    Row& r = rows[Find(parent, g)];
    ++r.count, r.heights += pieces[g].height();
    r.left = std::min(r.left, pieces[g].box.left), r.right = std::max(r.right, pieces[g].box.right);
    r.top = std::min(r.top, pieces[g].box.top), r.bottom = std::max(r.bottom, pieces[g].box.bottom);
  }
  // The glyphs row by row: for each row, calls on_row(root, its glyphs).
  for (const int32_t g : glyphs) parent[g] = Find(parent, g);
  std::vector<int32_t> by_row = glyphs;
  std::stable_sort(by_row.begin(), by_row.end(), [&](int32_t a, int32_t b) { return parent[a] < parent[b]; });
  const auto for_rows = [&](auto&& on_row) {
    for (auto first = by_row.begin(); first != by_row.end();) {
      const auto last = std::find_if(first, by_row.end(), [&](int32_t g) { return parent[g] != parent[*first]; });
      on_row(parent[*first], std::span<const int32_t>(&*first, static_cast<size_t>(last - first)));
      first = last;
    }
  };
  // How far a row's feet may stray: under kGridStray (a picture's pixel, of
  // which a mask's pixel is `cell` across), or a close-up's share of their
  // height or a larger picture's of the stroke, but not for a row as high as
  // the writing.
  const auto stray_of = [&](double height) {
    if (height > kGlyphShareOfName * tallest) return kGridStray / cell;
    return std::max({kGridStray / cell, kStrayPerHeight * height, kStrayPerStroke * stroke});
  };
  // A row as high as the writing may be the name itself, its letters each
  // a piece: it is print only if it stands on its line to the pixel, with no
  // close-up's allowance, and does not hold the tallest piece (a capital).
  // A name is written once, its capitals a few of its letters: when
  // kLeastStacked lines each hold a piece within a stroke of the tallest, or
  // most of a row's glyphs are that tall, they are print's capitals and
  // ascenders (a letter with no name signed under it, a heading in capitals).
  const auto tall = [&](int32_t g) { return pieces[g].height() >= tallest - stroke; };
  int32_t tall_lines = 0;
  for_rows([&](int32_t root, std::span<const int32_t> row) {
    tall_lines += rows[root].count >= kLeastGlyphs && std::any_of(row.begin(), row.end(), tall);
  });
  const bool printed_capitals = tall_lines >= kLeastStacked;
  for_rows([&](int32_t root, std::span<const int32_t> row) {
    Row& r = rows[root];
    if (r.count < kLeastShort) return;
    const Feet feet = FeetOf(pieces, row);
    const double height = r.height();
    const bool all_capitals = 2 * std::count_if(row.begin(), row.end(), tall) > std::ssize(row);
    const bool capital = !printed_capitals && !all_capitals &&
                         std::any_of(row.begin(), row.end(), [&](int32_t g) { return pieces[g].height() == tallest; });
    const bool upright = !capital && height <= kTallestGlyphStrokes * stroke && StandUpright(pieces, row, feet, stroke);
    const bool straight = upright && StandsOnALine(feet, height, stray_of(height));
    if (r.count >= kLeastGlyphs) {
      r.straight = straight;
      r.loose = upright && !straight && r.LongAsALine() &&
                StandsOnALine(feet, height, kStackedStray * stray_of(height));
    } else {
      r.short_straight = straight;
      r.narrow = std::all_of(row.begin(), row.end(), [&](int32_t g) {
        return pieces[g].box.right - pieces[g].box.left <= kWidestShortGlyph * pieces[g].height();
      });
    }
  });
  // The writing's own pieces: large ones, but not the rules nor the glyphs of
  // a row that stands on its line (print as large as the name).
  const auto own = [&](int32_t i) {
    const Piece& p = pieces[i];
    return !p.rule && p.height() > kGlyphShareOfName * tallest && !rows[Find(parent, i)].straight;
  };
  // The rows of the picture the writing's own pieces span (counted from the
  // top): print lies above or below the name, while a name's small letters
  // run beside its capitals.
  // writing[y]: how many of the rows above y the writing spans.
  std::vector<int32_t> writing(static_cast<size_t>(ink.height()) + 1, 0);
  for (int32_t i = 0; i < static_cast<int32_t>(pieces.size()); ++i) {
    if (own(i)) ++writing[pieces[i].box.top], --writing[pieces[i].box.bottom];
  }
  int32_t depth = 0;  // of the writing's pieces over the row
  for (size_t y = 0, spanned = 0; y < writing.size(); ++y) {
    depth += writing[y];
    writing[y] = static_cast<int32_t>(spanned);
    spanned += depth > 0;
  }
  // With few writing pieces (bounded work), a row is beside the writing
  // only where it runs beside one of them: a glyph of it within a glyph's
  // height to the piece's side lies mostly in the piece's rows, and the piece
  // is at most kCapitalPerGlyph times as high as the glyph. A tilted line
  // of print (a curled page) spans the writing's rows, yet passes above or
  // below each of its pieces.
  std::vector<int32_t> large_pieces;
  for (int32_t i = 0; i < static_cast<int32_t>(pieces.size()); ++i) {
    if (own(i)) large_pieces.push_back(i);
  }
  const bool by_piece = large_pieces.size() <= kNeighbours;
  std::vector<char> runs_beside(by_piece ? pieces.size() : 0, 0);  // by row
  for (size_t i = 0; by_piece && i < glyphs.size(); ++i) {
    const PixelRect& b = pieces[glyphs[i]].box;
    const int32_t high = pieces[glyphs[i]].height();
    for (const int32_t l : large_pieces) {
      const PixelRect& w = pieces[l].box;
      const int32_t overlap = std::min(b.bottom, w.bottom) - std::max(b.top, w.top);
      if (b.left <= w.right + high && b.right >= w.left - high && 2 * overlap >= high &&
          w.bottom - w.top <= kCapitalPerGlyph * high) {
        runs_beside[Find(parent, glyphs[i])] = 1;
      }
    }
  }
  const auto beside_writing = [&](int32_t root) {
    const Row& r = rows[root];
    return by_piece ? runs_beside[root] != 0 : writing[r.bottom] > writing[r.top];
  };
  const auto is_line = [&](int32_t root) {
    const Row& r = rows[root];
    return r.count >= kLeastGlyphs && r.straight && r.LongAsALine() && !beside_writing(root);
  };
  const std::vector<char> among_print = RowsAmongPrint(rows, is_line, beside_writing);
  std::vector<char> print_row(pieces.size(), 0);  // by row
  struct PrintRow {
    int32_t root;
    Foot first, last;
    double stray;
  };
  std::vector<PrintRow> print_rows;
  for_rows([&](int32_t root, std::span<const int32_t> row) {
    if (!is_line(root) && !among_print[root]) return;
    print_row[root] = 1;
    const Feet feet = FeetOf(pieces, row);
    const double height = rows[root].height();
    print_rows.push_back({root, feet.front(), feet.back(), stray_of(height)});
  });
  // A line of print broken by a gap wider than a word's (up to the line's
  // own length): the glyphs beyond it, of like heights, whose feet stand on
  // the line through its end glyphs' feet as closely, are print too.
  for_rows([&](int32_t root, std::span<const int32_t> row) {
    const Row& r = rows[root];
    if (print_row[root] || r.count < kLeastContinued || beside_writing(root)) return;
    const Feet feet = FeetOf(pieces, row);
    const double height = r.height();
    for (const PrintRow& p : print_rows) {
      const Row& q = rows[p.root];
      const double q_height = q.height();
      const int32_t gap = std::max(q.left - r.right, r.left - q.right);
      if (gap < 0 || gap > q.right - q.left || std::max(height, q_height) > kLikeHeights * std::min(height, q_height)) {
        continue;
      }
      const double run = p.last.x - p.first.x;
      if (run <= 0) continue;
      std::vector<double> strays;
      for (const Foot& f : feet) {
        strays.push_back(std::abs(f.y - (p.first.y + (f.x - p.first.x) / run * (p.last.y - p.first.y))));
      }
      if (MedianOf(strays) < p.stray) {
        print_row[root] = 1;
        break;
      }
    }
  });
  std::vector<int64_t> print;  // the pieces' order
  for (const int32_t g : glyphs) {
    if (print_row[Find(parent, g)]) print.push_back(pieces[g].order);
  }
  if (print.empty()) return {};
  // Each line's band: a smaller piece within it (a dash, a glyph's bar, a
  // glyph the rows did not reach) is print too, while a stroke of the pen
  // that crosses the line leaves the band.
  InkBits band = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
  int32_t band_high = 0;
  for_rows([&](int32_t root, std::span<const int32_t> row) {
    if (print_row[root]) band_high = std::max(band_high, MarkBand(pieces, row, band));
  });
  // Walked again in the same order: each piece's pixels come back unless it
  // is print. A piece as small as a glyph is held whole until its end (up to
  // kMostHeldPixels: a larger one stays, whatever band it lies in).
  std::sort(print.begin(), print.end());
  int64_t order = 0;
  auto next = print.begin();  // the next piece of print, in the walk's order
  const auto printed = [&] { return next != print.end() && *next == order; };
  const int64_t glyph_area = std::min(int64_t{kWidestGlyph} * band_high * band_high, kMostHeldPixels);
  WalkPieces(
      ink, glyph_area,
      [&](int32_t x, int32_t y) {
        if (!printed()) walked.Set(x, y);
      },
      [&](const auto& held, int64_t area, const PixelRect&) {
        const auto in_band = [&](const auto& p) { return band.Get(p.first, p.second); };
        if (area < glyph_area && !printed() && !std::all_of(held.begin(), held.end(), in_band)) {
          for (const auto& [x, y] : held) walked.Set(x, y);
        }
        if (printed()) ++next;
        ++order;
      });
  std::swap(ink, walked);
  return {};
}

}  // namespace

Result<void> RemovePrintLines(InkBits& ink, double stroke) {
  QUOREL_TRY(RemoveLinesOfPieces(ink, stroke, 1));
  // Glyphs in several pieces (a kanji's strokes, "=", a close-up's bars):
  // the lines looked for again where each glyph's pieces have grown into
  // one, in the ink halved (a cell of two by two pixels), so that the walk
  // over the grown strokes costs no more than the first. Feet still stand
  // on their line to a picture's pixel: half a cell.
  constexpr int32_t kCell = 2;
  const InkBits half = QUOREL_TRY(OrReduced(ink, kCell));
  InkBits joined = QUOREL_TRY(Grown(half, static_cast<int32_t>(std::ceil(kJoinPerStroke * stroke / kCell))));
  QUOREL_TRY(RemoveLinesOfPieces(joined, stroke / kCell, kCell));
  ForEachInk(ink, [&](int32_t x, int32_t y) {
    if (!joined.Get(x / kCell, y / kCell)) ink.Clear(x, y);
  });
  return {};
}

}  // namespace quorel
