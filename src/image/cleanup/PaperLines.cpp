// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/PaperLines.h"

#include "common/Buffer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <numeric>
#include <optional>
#include <utility>
#include <vector>

namespace quorel {
namespace {

constexpr int32_t kReducedSide = 1024;  // the mask is OR-reduced to about this
constexpr double kMaxSlope = 0.14;       // tan 8°
// Steeper lines, up to tan 15°, count only as the sheet's: at right angles to
// a line across them (a sheet turned in the photo) or through the point where
// the other lines of their direction meet (a sheet in perspective). A pen's
// long straight stroke is neither.
constexpr double kSteepest = 0.27;       // tan 15°
constexpr double kSquare = 0.05;         // a row's and a column's slopes at right angles add up to within this (3°)
constexpr double kLeastCover = 0.4;      // of the line's length inside the picture
constexpr double kLeastSpan = 0.6;       // of its length inside the picture, from its first ink to its last
// A light line seen only in the faint ink runs across most of the picture:
// a pencil's underline, as light as the writing, stops short of both sides.
// (A card's edge over a desk, as light, spans 78 % of a scan; a limit of 70
// or 75 % changed nothing else measured.)
constexpr double kLeastLightSpan = 0.75;
// A form's box side ends at the box's corners: over this share of the
// picture, a line counts where it meets a line found at a corner (an end of
// each), or where its ends lie on such lines (AddFrames), on a sheet of at
// most kMostFrameLines unbroken lines a direction (not ruled or squared,
// where a hand's straight stroke often ends on a line; a form's rows of
// print, found as broken lines, do not count).
constexpr double kLeastFrameSpan = 0.3;
constexpr size_t kMostFrameLines = 4;
constexpr size_t kRulesCrossed = 3;  // by a steeper line that is the sheet's margin
// A box round the name: its sides' ink covers this share of them, its lines
// lie this many of their thickness apart (not a line's two edges), and the
// ink inside it is at least this share of its own.
constexpr double kLeastSideShare = 0.6;
constexpr double kLeastBoxPerThickness = 4;
constexpr double kLeastInsideShare = 0.6;
// A form's printed line left alone (a signing line): straight to within this
// many pixels (root mean square; a hand's long stroke bows more), and under
// the whole writing: over this share of the rest of the ink's span along
// it (a kanji's long straight stroke spans one of the name's characters).
constexpr double kMostPrintedStray = 0.75;
constexpr double kLeastUnderShare = 0.75;
// A printed line's straightness is read where it lies alone, on at least this
// share of its stretch: a seal stamped over its end and the name's strokes
// along it may cover over half.
constexpr double kLeastReadShare = 0.25;
constexpr double kSpanTail = 0.01;  // of the rest of the ink's pixels, left out at each end of its span
constexpr size_t kMostFrames = 32;  // shorter lines a direction looked at (a form has a few boxes), bounding the work
constexpr double kShortest = 0.15;       // of the side: a tilted line leaving through a side, cut shorter, is not looked at
constexpr int32_t kThickest = 4;         // reduced pixels: a soft line on a large photo often spans 4
constexpr int32_t kClearGapShare = 4;    // a double rule's gap holds under a quarter of its peak
// A rule up to twice that thick (a close-up, whose blur widens the rule at
// the mask's low cut) is taken only when even in thickness along nearly all
// of the picture, as a ruling pen draws and a hand does not. A form's box
// and signing lines, printed heavier, are looked for the same way in the mask
// halved again, where no thinner rule lies, and in a close-up of the form in
// the mask halved twice.
constexpr int32_t kThickestEven = 2 * kThickest;
constexpr double kEvenCover = 0.8;       // of the line's length inside the picture
constexpr double kEvenShare = 0.8;       // of the places with ink, within a cell of the usual thickness
constexpr int32_t kCrossing = 3;         // reduced cells past a line's band
constexpr int32_t kShortestRun = 3;      // reduced cells
constexpr int32_t kLongestDashes = 12;   // a line's runs are longer than this on average
constexpr int32_t kLongestDropout = 3;   // reduced cells
constexpr int32_t kLongestBreak = 8;     // reduced cells: a stroke crossing a box's side
// A line with no stretch of kLeastFrameSpan has no gap wider than this share
// of its length, or it is separate strokes that happen to line up.
constexpr double kWidestGap = kLeastFrameSpan / 2;
constexpr int64_t kStrongShare = 4;      // a line with under a quarter strong ink is light
// A name's baseline: the bottoms of its letters and the strokes joining them
// line up along a row, broken, as a rule that light or a hand breaks does.
// Unlike a rule, the band it fills is wider than a thin rule's (the strokes
// bow within it), letters rise from nearly every run of it, and those runs
// belong to a few pieces of joined writing; a row of print's letters are a
// piece each, a squared sheet's rules are thin.
constexpr int32_t kThickestRule = 2;       // reduced cells across
constexpr int32_t kLeastBareShare = 4;     // a rule has a quarter of its places or more in runs no letter rises from
constexpr double kMostPiecesPerRun = 0.4;  // a baseline's pieces, per run of it
constexpr size_t kWiderByPen = 2;        // pixels across: a pen along a line widens it

// A view of a mask with rows and columns swapped or not, so that lines near
// the columns are found as lines near the rows.
struct View {
  InkBits* ink;
  bool transposed;
  int32_t along() const { return transposed ? ink->height() : ink->width(); }
  int32_t across() const { return transposed ? ink->width() : ink->height(); }
  bool Get(int32_t u, int32_t v) const { return transposed ? ink->Get(v, u) : ink->Get(u, v); }
  void Clear(int32_t u, int32_t v) const { transposed ? ink->Clear(v, u) : ink->Clear(u, v); }
};

using Line = PaperLine;

// The mask OR-reduced by `factor` in both directions: one byte a cell.
struct Reduced {
  int32_t width = 0;
  int32_t height = 0;
  Buffer<uint8_t> cells;
  // Whether the cell u along and v across (rows and columns swapped when
  // `transposed`) holds ink; false outside.
  bool Inked(bool transposed, int32_t u, int32_t v) const {
    const int32_t x = transposed ? v : u;
    const int32_t y = transposed ? u : v;
    return x >= 0 && x < width && y >= 0 && y < height && cells[static_cast<size_t>(y) * width + x] != 0;
  }
};

Result<Reduced> Reduce(const InkBits& ink, int32_t factor) {
  Reduced r;
  r.width = (ink.width() + factor - 1) / factor;
  r.height = (ink.height() + factor - 1) / factor;
  r.cells = QUOREL_TRY(Buffer<uint8_t>::Filled(static_cast<size_t>(r.width) * r.height));
  for (int32_t y = 0; y < ink.height(); ++y) {
    const uint8_t* row = ink.Row(y);
    uint8_t* cells = &r.cells[static_cast<size_t>(y / factor) * r.width];
    for (size_t byte = 0; byte < ink.stride(); ++byte) {
      for (unsigned bits = row[byte]; bits != 0; bits &= bits - 1) {
        const auto x = static_cast<int32_t>(byte * 8) + __builtin_ctz(bits);
        cells[x / factor] = 1;
      }
    }
  }
  return r;
}

// `mark(cell, start)` for each cell of the reduced mask in a run of at least
// N inked cells along its rows (or, `down`, its columns), with start 1 for
// every N neighbours in a row that are all inked (0 elsewhere), which `starts`
// keeps: a cell lies in such a run exactly when some such N include it.
// Whole rows at a time, which the compiler vectorises.
template <int32_t N, class Mark>
void MarkRuns(const Reduced& mask, bool down, Buffer<uint8_t>& starts, Buffer<uint8_t>& cells, Mark mark) {
  const auto width = static_cast<size_t>(mask.width);
  const size_t step = down ? width : 1;
  // Places where N cells in a row may start: rows × columns of them.
  const auto rows = static_cast<size_t>(down ? std::max(0, mask.height - N + 1) : mask.height);
  const auto columns = static_cast<size_t>(down ? mask.width : std::max(0, mask.width - N + 1));
  for (size_t y = 0; y < rows; ++y) {
    const uint8_t* from = mask.cells.data() + y * width;
    uint8_t* to = starts.data() + y * width;
    for (size_t x = 0; x < columns; ++x) {
      uint8_t all = from[x];
      for (size_t j = 1; j < N; ++j) all &= from[x + j * step];
      to[x] = all;
    }
  }
  for (size_t j = 0; j < N; ++j) {
    for (size_t y = 0; y < rows; ++y) {
      const uint8_t* from = starts.data() + y * width;
      uint8_t* to = cells.data() + y * width + j * step;
      for (size_t x = 0; x < columns; ++x) to[x] = mark(to[x], from[x]);
    }
  }
}

// `cell = mark(cell, run)` for each inked cell of the reduced mask, with the
// length of its run of ink along the rows (or, `down`, the columns).
template <class Mark>
void ForRuns(const Reduced& mask, bool down, Buffer<uint8_t>& cells, Mark mark) {
  const int32_t lines = down ? mask.width : mask.height;
  const int32_t length = down ? mask.height : mask.width;
  const size_t step = down ? static_cast<size_t>(mask.width) : 1;
  for (int32_t line = 0; line < lines; ++line) {
    const size_t origin = down ? static_cast<size_t>(line) : static_cast<size_t>(line) * mask.width;
    for (int32_t from = 0; from < length;) {
      if (mask.cells[origin + from * step] == 0) {
        if (step != 1) {
          ++from;
          continue;
        }
        // Along a row, memchr skips the paper (an inked cell is 1).
        const void* next = std::memchr(&mask.cells[origin + from], 1, static_cast<size_t>(length - from));
        from = next == nullptr ? length : static_cast<int32_t>(static_cast<const uint8_t*>(next) - &mask.cells[origin]);
        continue;
      }
      int32_t to = from + 1;
      while (to < length && mask.cells[origin + to * step] != 0) ++to;
      for (int32_t i = from; i < to; ++i) {
        uint8_t& cell = cells[origin + i * step];
        cell = static_cast<uint8_t>(mark(cell, to - from));
      }
      from = to;
    }
  }
}

// The pieces of the reduced mask (8-connected), numbered from 1 per cell; 0
// for paper.
Result<Buffer<int32_t>> Pieces(const Reduced& mask) {
  Buffer<int32_t> piece = QUOREL_TRY(Buffer<int32_t>::Filled(mask.cells.size()));
  std::vector<int32_t> stack;
  int32_t count = 0;
  for (size_t start = 0; start < mask.cells.size(); ++start) {
    if (mask.cells[start] == 0 || piece[start] != 0) continue;
    piece[start] = ++count;
    stack.push_back(static_cast<int32_t>(start));
    while (!stack.empty()) {
      const int32_t at = stack.back();
      stack.pop_back();
      const int32_t x = at % mask.width;
      const int32_t y = at / mask.width;
      for (int32_t ny = std::max(0, y - 1); ny <= std::min(mask.height - 1, y + 1); ++ny) {
        for (int32_t nx = std::max(0, x - 1); nx <= std::min(mask.width - 1, x + 1); ++nx) {
          const size_t next = static_cast<size_t>(ny) * mask.width + nx;
          if (mask.cells[next] != 0 && piece[next] == 0) {
            piece[next] = count;
            stack.push_back(static_cast<int32_t>(next));
          }
        }
      }
    }
  }
  return piece;
}

// How many of `pieces` (numbered per cell of a reduced mask `width` cells
// wide, rows and columns swapped when `transposed`) lie a cell either side
// of a line whose middle across at u along is middle(u).
template <class Middle>
size_t PiecesAlong(const Buffer<int32_t>& pieces, size_t width, bool transposed, int32_t along, int32_t across,
                   Middle middle) {
  std::vector<int32_t> seen;
  for (int32_t u = 0; u < along; ++u) {
    const int32_t v = middle(u);
    for (int32_t w = std::max(0, v - 1); w <= std::min(across - 1, v + 1); ++w) {
      const size_t at = transposed ? static_cast<size_t>(u) * width + w : static_cast<size_t>(w) * width + u;
      if (pieces[at] != 0) seen.push_back(pieces[at]);
    }
  }
  std::sort(seen.begin(), seen.end());
  return static_cast<size_t>(std::unique(seen.begin(), seen.end()) - seen.begin());
}

// Whether the band [centre + top, centre + bottom] across, centre at the
// middle along and following `slope`, holds ink along `cover` of
// `length`, in one run across of one thickness (within a cell) at kEvenShare
// of the places no pen crosses. A pen stroke that long and straight still
// swells and thins. A crossing pen (or letters standing on the line) runs on
// kCrossing cells past the band; such places are not judged, nor those where
// the picture's side cuts the run (a desk's edge along the border).
template <class Cell>
bool EvenAlong(const Cell& cell, int32_t along, int32_t across, int32_t centre, int32_t top, int32_t bottom,
               double slope, double length, double cover) {
  std::array<int32_t, kThickestEven + 2 * kCrossing + 2> tally{};
  int32_t places = 0;
  int32_t crossed = 0;
  for (int32_t u = 0; u < along; ++u) {
    const auto v = static_cast<int32_t>(std::floor(centre + 0.5 + (u - along / 2.0) * slope));
    // The run across through the band's inked cell nearest its middle.
    int32_t hit = -1;
    for (int32_t d = 0; d <= std::max(-top, bottom) && hit < 0; ++d) {
      for (const int32_t w : {v - d, v + d}) {
        if (hit < 0 && w >= std::max(0, v + top) && w <= std::min(across - 1, v + bottom) && cell(u, w)) hit = w;
      }
    }
    if (hit < 0) continue;
    ++places;
    const int32_t lowest = v + top - kCrossing;
    const int32_t highest = v + bottom + kCrossing;
    int32_t from = hit;
    int32_t to = hit;
    while (from > std::max(0, lowest) && cell(u, from - 1)) --from;
    while (to < std::min(across - 1, highest) && cell(u, to + 1)) ++to;
    if (from == lowest || to == highest || from == 0 || to == across - 1) {
      ++crossed;
      continue;
    }
    ++tally[static_cast<size_t>(to - from + 1)];
  }
  if (places < cover * length || places - crossed < kLeastCover * length) return false;
  int32_t most = 0;
  for (size_t t = 1; t + 1 < tally.size(); ++t) most = std::max(most, tally[t - 1] + tally[t] + tally[t + 1]);
  return most >= kEvenShare * (places - crossed);
}

// kThick: a second look, at the cells in runs across longer than kThickest
// (up to kThickestEven), for the lines that thick and even along their length.
enum class Thickness { kThin, kThick };

// The slopes a look tries, either sign: from `least` (unless 0, not
// included) up to `most`.
struct Slopes {
  double least = 0;
  double most = kMaxSlope;
};

// Lines near the rows (or, transposed, the columns) of the reduced mask, in
// full-size pixels. The shorter ones that may be a box's sides (over
// kLeastFrameSpan but under `least_span`, or thick and even along under
// kEvenCover of the picture) go to `frames`, if given. `writing`: in the
// ink of a name, whose baseline is no line (kThickestRule).
Result<std::vector<Line>> FindLines(const Reduced& reduced_mask, bool transposed, int32_t factor,
                                    Thickness thickness, double least_span, Slopes tried = {},
                                    std::vector<Line>* frames = nullptr, bool writing = false) {
  const int32_t thickest = thickness == Thickness::kThin ? kThickest : kThickestEven;
  const int32_t along = transposed ? reduced_mask.height : reduced_mask.width;
  const int32_t across = transposed ? reduced_mask.width : reduced_mask.height;
  const auto cell = [&](int32_t u, int32_t v) {
    return transposed ? reduced_mask.cells[static_cast<size_t>(u) * reduced_mask.width + v] != 0
                      : reduced_mask.cells[static_cast<size_t>(v) * reduced_mask.width + u] != 0;
  };
  // Only cells in runs of at least kShortestRun along: a line a few degrees
  // off keeps long runs, while handwriting and blobs mostly do not, so the
  // counting below sees far fewer cells. And only cells in runs across of at
  // most kThickest: a line is thin, a pen on a large photo often is not.
  Buffer<uint8_t> runs = QUOREL_TRY(Buffer<uint8_t>::Filled(reduced_mask.cells.size()));
  if (thickness == Thickness::kThin) {
    Buffer<uint8_t> starts = QUOREL_TRY(Buffer<uint8_t>::Filled(reduced_mask.cells.size()));
    MarkRuns<kShortestRun>(reduced_mask, transposed, starts, runs,
                           [](uint8_t cell, uint8_t start) { return static_cast<uint8_t>(cell | start); });
    MarkRuns<kThickest + 1>(reduced_mask, !transposed, starts, runs,
                            [](uint8_t cell, uint8_t start) { return static_cast<uint8_t>(cell & ~start); });
  } else {
    // A band thicker than kThickest, tilted at most the steepest slope
    // tried, keeps runs along of at least `thick_run` wherever nothing breaks
    // it. Most pictures have no such band at all, most not even such runs:
    // nothing to count.
    const auto none = [&] { return std::memchr(runs.data(), 1, runs.size()) == nullptr; };
    const auto thick_run = static_cast<int32_t>((kThickest + 1) / tried.most);
    ForRuns(reduced_mask, transposed, runs, [&](uint8_t, int32_t run) { return run >= thick_run; });
    if (none()) return std::vector<Line>{};
    ForRuns(reduced_mask, !transposed, runs,
            [](uint8_t cell, int32_t run) { return cell != 0 && run > kThickest && run <= kThickestEven; });
    if (none()) return std::vector<Line>{};
  }
  // Slopes a step apart move a line by at most one reduced pixel across the
  // picture; a thick line's band takes two as well, and half the slopes.
  const double step = (thickness == Thickness::kThin ? 1.0 : 2.0) / std::max(1, along);
  const int32_t slopes = 2 * static_cast<int32_t>(tried.most / step) + 1;
  const int32_t margin = static_cast<int32_t>(std::ceil(tried.most * along / 2)) + 1;
  // The indices of the slopes counted: [0, low) and [high, slopes), all
  // of them unless the look starts at a least slope.
  const auto level = static_cast<int32_t>(std::floor(tried.least / step));
  const int32_t low = tried.least == 0 ? slopes : slopes / 2 - level;
  const int32_t high = tried.least == 0 ? slopes : slopes / 2 + level + 1;
  const std::array<std::pair<int32_t, int32_t>, 2> counted{{{0, low}, {high, slopes}}};
  const int32_t bins = across + 2 * margin;
  Buffer<int32_t> count = QUOREL_TRY(Buffer<int32_t>::Filled(static_cast<size_t>(slopes) * bins));
  const auto slope_of = [&](int32_t s) { return (s - slopes / 2) * step; };
  // The offset where the line of slope s through (u, v) meets the middle of
  // the picture is v + shift(u, s): worked out once, not for every cell.
  // The margin keeps it at least 1.5, so truncation is the floor (and
  // vectorises, where std::floor is a call a value).
  Buffer<int32_t> shift = QUOREL_TRY(Buffer<int32_t>::Filled(static_cast<size_t>(along) * slopes));
  for (int32_t u = 0; u < along; ++u) {
    for (int32_t s = 0; s < slopes; ++s) {
      shift[static_cast<size_t>(u) * slopes + s] =
          static_cast<int32_t>(margin + 0.5 - (u - along / 2.0) * slope_of(s));
    }
  }
  // The kept cells a mask row at a time, the empty ones skipped by memchr (a
  // kept cell is 1). In any order: a bin's count does not depend on it.
  const auto mask_width = static_cast<size_t>(reduced_mask.width);
  for (int32_t y = 0; y < reduced_mask.height; ++y) {
    const uint8_t* row = runs.data() + static_cast<size_t>(y) * mask_width;
    const uint8_t* end = row + mask_width;
    const auto next = [&](const uint8_t* from) {
      return static_cast<const uint8_t*>(std::memchr(from, 1, static_cast<size_t>(end - from)));
    };
    for (const uint8_t* at = next(row); at != nullptr; at = next(at + 1)) {
      const auto x = static_cast<int32_t>(at - row);
      const int32_t u = transposed ? y : x;
      const int32_t v = transposed ? x : y;
      const int32_t* shifts = &shift[static_cast<size_t>(u) * slopes];
      for (const auto& [from, to] : counted) {
        for (int32_t s = from; s < to; ++s) {
          const int32_t b = v + shifts[s];
          if (b < 0 || b >= bins) continue;
          ++count[static_cast<size_t>(s) * bins + b];
        }
      }
    }
  }
  // From the first place along to the last of the kept cells counted at
  // (slope s, offset b), for the few peaks only: each place along has one
  // cell on the line. (Tracked for every count, it cost twice the counting.)
  const auto extent_of = [&](int32_t s, int32_t b) {
    int32_t first = along;
    int32_t last = -1;
    for (int32_t u = 0; u < along; ++u) {
      const int32_t v = b - shift[static_cast<size_t>(u) * slopes + s];
      if (v < 0 || v >= across) continue;
      const size_t at = transposed ? static_cast<size_t>(u) * mask_width + v : static_cast<size_t>(v) * mask_width + u;
      if (runs[at] == 1) first = std::min(first, u), last = u;
    }
    return std::pair{first, last};
  };
  // Per offset the best slope; a line is a peak over offsets of that best.
  Buffer<int32_t> best = QUOREL_TRY(Buffer<int32_t>::Filled(static_cast<size_t>(bins)));
  Buffer<int32_t> best_slope = QUOREL_TRY(Buffer<int32_t>::Filled(static_cast<size_t>(bins)));
  for (int32_t b = 0; b < bins; ++b) {
    for (int32_t s = 0; s < slopes; ++s) {
      const int32_t n = count[static_cast<size_t>(s) * bins + b];
      if (n > best[b]) {
        best[b] = n;
        best_slope[b] = s;
      }
    }
  }
  // Where along the line at (slope s, offset b) lies inside the picture: a
  // tilted line may leave it through a side.
  const auto inside = [&](int32_t s, int32_t b) {
    const double slope = slope_of(s);
    const double v0 = (b - margin) - (along / 2.0) * slope;  // at u = 0
    double lo = 0;
    double hi = along;
    if (slope == 0) return v0 >= 0 && v0 < across ? std::pair{lo, hi} : std::pair{0.0, 0.0};
    const double u_top = (0 - v0) / slope;  // where v = 0
    const double u_bottom = (across - v0) / slope;
    lo = std::max(lo, std::min(u_top, u_bottom));
    hi = std::min(hi, std::max(u_top, u_bottom));
    return std::pair{lo, std::max(lo, hi)};
  };
  Buffer<int32_t> pieces;  // numbered once a baseline may be in question
  std::vector<Line> lines;
  for (int32_t b = 2; b + 2 < bins; ++b) {
    const auto [enters, leaves] = inside(best_slope[b], b);
    const double length = leaves - enters;
    const int32_t s = best_slope[b];
    const auto at = [&](int32_t bb) {
      return bb < 0 || bb >= bins ? 0 : count[static_cast<size_t>(s) * bins + bb];
    };
    // A line between two offsets (a thick one, or one a little off the
    // slopes tried) splits its pixels between them: it may cover enough of
    // its length with the nearer neighbour (counted below, once a place).
    const int32_t side = at(b + 1) >= at(b - 1) ? 1 : -1;
    if (length < kShortest * along || best[b] + at(b + side) < kLeastCover * length) continue;
    bool peak = true;
    for (int32_t d = -2; d <= 2 && peak; ++d) {
      if (d != 0 && (best[b + d] > best[b] || (d < 0 && best[b + d] == best[b]))) peak = false;
    }
    if (!peak) continue;
    const auto [first, last] = extent_of(s, b);
    bool frame = last - first < least_span * length;
    if (frame && (frames == nullptr || last - first < kLeastFrameSpan * length)) continue;
    // A paper line is drawn in one go: long runs along it, broken only where
    // something crosses it; aligned letters of print make short dashes. A
    // faint line that steps from one row to the next drops out for a pixel or
    // two at each step, so gaps up to kLongestDropout do not end a run.
    int32_t runs = 0;
    int32_t covered = 0;
    int32_t on_pair = 0;  // places with ink at the offset or its nearer neighbour
    int32_t gap = kLongestDropout + 1;
    // Where the line's ink lies: its longest stretch with no gap over
    // kLongestBreak (a box's side, not the print its line runs on through).
    int32_t stretch = -1;
    std::pair<int32_t, int32_t> longest{0, -1};
    int32_t last_on = -1;
    int32_t widest_gap = 0;
    // Places in runs that ink leaves across the band from (letters standing
    // on the line, a stroke crossing it) and in runs it never does: told in
    // a writing's ink only, where a baseline may be in question.
    int32_t joined = 0;
    int32_t bare = 0;
    int32_t run_places = 0;
    bool run_joined = false;
    const auto end_run = [&] {
      (run_joined ? joined : bare) += run_places;
      run_places = 0;
      run_joined = false;
    };
    const auto leaves_band = [&](int32_t u, int32_t v) {
      for (int32_t d = kThickest / 2 + 1; d <= kThickest / 2 + kCrossing; ++d) {
        if ((v - d >= 0 && cell(u, v - d)) || (v + d < across && cell(u, v + d))) return true;
      }
      return false;
    };
    const auto middle = [&](int32_t u) {
      return static_cast<int32_t>(std::floor(b - margin + 0.5 + (u - along / 2.0) * slope_of(s)));
    };
    for (int32_t u = 0; u < along; ++u) {
      const int32_t v = middle(u);
      on_pair += v >= 0 && v < across && (cell(u, v) || (v + side >= 0 && v + side < across && cell(u, v + side)));
      const bool on = v >= 0 && v < across && (cell(u, v) || (v > 0 && cell(u, v - 1)) || (v + 1 < across && cell(u, v + 1)));
      if (!on) {
        ++gap;
        continue;
      }
      if (last_on >= 0) widest_gap = std::max(widest_gap, u - last_on - 1);
      if (gap > kLongestDropout) end_run();
      ++run_places;
      run_joined = run_joined || (writing && leaves_band(u, v));
      runs += gap > kLongestDropout;
      covered += 1 + (gap <= kLongestDropout ? gap : 0);
      gap = 0;
      if (stretch < 0 || u - last_on > kLongestBreak) stretch = u;
      last_on = u;
      if (u - stretch > longest.second - longest.first) longest = {stretch, u};
    }
    end_run();
    if (runs == 0 || on_pair < kLeastCover * length || covered < kLongestDashes * runs) continue;
    // The band: neighbouring offsets with at least half the peak's count;
    // thin, with bare paper (or much less ink) beside it.
    int32_t top = b;
    int32_t bottom = b;
    while (top > b - thickest && at(top - 1) * 2 >= best[b]) --top;
    while (bottom < b + thickest && at(bottom + 1) * 2 >= best[b]) ++bottom;
    if (bottom - top + 1 > thickest) continue;
    // A double rule (a legal pad's margin): a second band as thin past a
    // clear gap, bare paper beyond it; the two go as one band.
    const auto partner = [&](int32_t edge, int32_t step) {
      if (at(edge + 2 * step) * 2 < best[b]) return edge;
      const int32_t none = edge - step;  // inside the band: no line here
      if (at(edge + step) * kClearGapShare >= best[b]) return none;
      int32_t far = edge + 2 * step;
      while (std::abs(far - edge) <= thickest && at(far + step) * 2 >= best[b]) far += step;
      return std::abs(far - edge) <= thickest && at(far + 2 * step) * 2 < best[b] ? far : none;
    };
    const int32_t outer_top = partner(top, -1);
    const int32_t outer_bottom = partner(bottom, 1);
    if (outer_top > top || outer_bottom < bottom) continue;
    top = outer_top, bottom = outer_bottom;
    if (thickness == Thickness::kThick) {
      if (bottom - top + 1 <= kThickest) continue;
      const auto even = [&](double cover) {
        return EvenAlong(cell, along, across, b - margin, top - b, bottom - b, slope_of(s), length, cover);
      };
      // A box's side, even but over less of the picture, is a frame.
      if (!even(kEvenCover)) {
        if (frames == nullptr || !even(kLeastCover)) continue;
        frame = true;
      }
    }
    const double slope = slope_of(s);
    // Back to full size: offset at along = 0, widened by a reduced pixel's slack.
    const double centre_shift = (along / 2.0) * slope;
    // A line whose ink runs from side to side of the picture ends at no
    // box's corner, wherever its light parts break it; nor does one whose
    // ink is mostly broken (a light rule, a pen along it for a while). Broken
    // and with a wide gap, it is a name's straight strokes that line up
    // across its letters: a rule that glare, a shadow or a hand breaks that
    // widely still runs unbroken for a while elsewhere.
    if (first <= enters + kLongestBreak && last + 1 >= leaves - kLongestBreak) longest = {first, last};
    if (longest.second + 1 - longest.first < kLeastFrameSpan * length) {
      if (frame || widest_gap > kWidestGap * length) continue;
      if (writing && bottom - top + 1 > kThickestRule && kLeastBareShare * bare < joined + bare) {
        if (pieces.empty()) pieces = QUOREL_TRY(Pieces(reduced_mask));
        const size_t count = PiecesAlong(pieces, mask_width, transposed, along, across, middle);
        if (static_cast<double>(count) < kMostPiecesPerRun * runs) continue;
      }
      longest = {0, -1};
    }
    (frame ? *frames : lines)
        .push_back({slope, (top - margin - centre_shift) * factor - 1, (bottom + 1 - margin - centre_shift) * factor + 1,
                    false, static_cast<double>(longest.first) * factor,
                    static_cast<double>(longest.second + 1) * factor});
  }
  return lines;
}

// The band of `line` at column u: [top, bottom) across.
std::pair<int32_t, int32_t> Band(const Line& line, int32_t u, int32_t across) {
  const double shift = (u + 0.5) * line.slope;
  const auto top = std::max<int32_t>(0, static_cast<int32_t>(std::floor(line.top + shift)));
  const auto bottom = std::min<int32_t>(across, static_cast<int32_t>(std::ceil(line.bottom + shift)));
  return {top, bottom};
}

// `rest` is the ink without any line's band: what lies beside a line there
// is not another line crossing it.
Result<void> ClearLines(const std::vector<Line>& lines, const View& found, const View& strong, const View& rest) {
  for (const Line& line : lines) {
    // Told where nothing lies beside the band, so that a pen crossing the
    // line or running along it does not count: a line lighter than strong
    // ink (then whatever of the band is strong is a pen), and the line's
    // usual width across (its median count of ink in the band).
    int64_t in_found = 0;
    int64_t in_strong = 0;
    Buffer<int64_t> widths =
        QUOREL_TRY(Buffer<int64_t>::Filled(static_cast<size_t>(std::ceil(line.bottom - line.top)) + 2));
    for (int32_t u = 0; u < found.along(); ++u) {
      const auto [top, bottom] = Band(line, u, found.across());
      const auto beside = [&](int32_t v) { return v >= 0 && v < found.across() && rest.Get(u, v); };
      if (top >= bottom || beside(top - 1) || beside(top - 2) || beside(bottom) || beside(bottom + 1)) continue;
      size_t width = 0;
      for (int32_t v = top; v < bottom; ++v) {
        width += found.Get(u, v);
        in_strong += strong.Get(u, v);
      }
      in_found += static_cast<int64_t>(width);
      if (width > 0) ++widths[std::min(width, widths.size() - 1)];
    }
    const bool light = in_strong * kStrongShare < in_found;
    // A heavy line lighter than the pen stays: where a lighter stroke
    // crosses it only strong pixels would be kept, and a band that wide
    // would cut the stroke through.
    if (light && line.heavy) continue;
    int64_t seen = 0;
    size_t usual = 0;
    const int64_t columns = std::accumulate(widths.begin(), widths.end(), int64_t{0});
    while (usual + 1 < widths.size() && (seen += widths[usual]) * 2 < columns) ++usual;
    for (int32_t u = 0; u < found.along(); ++u) {
      const auto [top, bottom] = Band(line, u, found.across());
      if (top >= bottom) continue;
      // A pen stroke crossing the line, or meeting it, leaves ink just
      // outside the band; one running along it makes the band's ink wider
      // than the line's. There the band stays: all of it when the line is as
      // dark as the pen, its strong pixels when it is lighter. (A stroke
      // that only touches a dark line keeps a stub of the line's width.)
      const auto inked = [&](int32_t v) { return v >= 0 && v < found.across() && rest.Get(u, v); };
      size_t width = 0;
      for (int32_t v = top; v < bottom; ++v) width += found.Get(u, v);
      if (inked(top - 1) || inked(top - 2) || inked(bottom) || inked(bottom + 1) || width >= usual + kWiderByPen) {
        if (!light) continue;
        for (int32_t v = top; v < bottom; ++v) {
          if (!strong.Get(u, v)) found.Clear(u, v);
        }
        continue;
      }
      for (int32_t v = top; v < bottom; ++v) {
        found.Clear(u, v);
        strong.Clear(u, v);
      }
    }
  }
  return {};
}

// Whether two lines' bands overlap at `middle` along.
bool Meet(const Line& a, const Line& b, int32_t middle) {
  return a.top + middle * a.slope < b.bottom + middle * b.slope &&
         b.top + middle * b.slope < a.bottom + middle * a.slope;
}

// Whether the steep `line` belongs to the sheet: at right angles to one of
// `across` (lines of the other direction), or continuing the fan of `along`
// (its own direction's lines, meeting at a vanishing point): lines through one
// point have offsets linear in their slopes, so the line's offset is
// extrapolated from the two nearest lines of different slopes, within a
// quarter of their distance.
bool OfTheSheet(const Line& line, const std::vector<Line>& along, const std::vector<Line>& across) {
  const auto square = [&](const Line& other) { return std::abs(line.slope + other.slope) <= kSquare; };
  if (std::any_of(across.begin(), across.end(), square)) return true;
  const auto nearer = [&](const Line& a, const Line& b) {
    return std::abs(a.slope - line.slope) < std::abs(b.slope - line.slope);
  };
  const auto a = std::min_element(along.begin(), along.end(), nearer);
  if (a == along.end()) return false;
  const Line* b = nullptr;
  for (const Line& other : along) {
    if (other.slope != a->slope && (b == nullptr || nearer(other, *b))) b = &other;
  }
  if (b == nullptr) return false;
  const double expected = a->top + (line.slope - a->slope) * (b->top - a->top) / (b->slope - a->slope);
  return std::abs(line.top - expected) <= std::abs(b->top - a->top) / 4;
}

// Adds to `lines` (rows and columns) the steeper lines of `reduced` that are
// the sheet's, where no line lies; taken one by one, as each may carry a fan
// on. Thin ones, and thicker ones even along where no thin one lies (a
// close-up's margin or rules, a form's box in perspective). A line the first
// look found at its steepest slope is often such a line, fitted less well:
// the steeper one takes its place.
Result<void> AddSteepLines(const Reduced& reduced, int32_t factor, double least_span, int32_t width, int32_t height,
                           std::array<std::vector<Line>*, 2> lines, std::array<std::vector<Line>, 2>& frames,
                           std::array<std::vector<Line>, 2>& rest) {
  std::array<std::vector<Line>, 2> thin;
  std::array<std::vector<Line>, 2> thick;
  for (const bool transposed : {false, true}) {
    thin[transposed] = QUOREL_TRY(
        FindLines(reduced, transposed, factor, Thickness::kThin, least_span, {kMaxSlope, kSteepest}, &frames[transposed]));
    const int32_t middle = (transposed ? height : width) / 2;
    const auto unmet = [&](const std::vector<Line>& thinner, const Line& line) {
      return std::none_of(thinner.begin(), thinner.end(), [&](const Line& t) { return Meet(t, line, middle); });
    };
    std::vector<Line> thicker_frames;
    for (const Line& line : QUOREL_TRY(FindLines(reduced, transposed, factor, Thickness::kThick, least_span,
                                                 {kMaxSlope, kSteepest}, &thicker_frames))) {
      if (unmet(thin[transposed], line)) thick[transposed].push_back(line);
    }
    for (const Line& line : thicker_frames) {
      if (unmet(frames[transposed], line)) frames[transposed].push_back(line);
    }
  }
  for (bool added = true; added;) {
    added = false;
    for (const bool transposed : {false, true}) {
      std::vector<Line>& found = *lines[transposed];
      const int32_t middle = (transposed ? height : width) / 2;
      const double limit = kMaxSlope - 1.0 / (transposed ? reduced.height : reduced.width);
      std::vector<Line> across = *lines[!transposed];
      for (const std::vector<Line>* steep : {&thin[!transposed], &thick[!transposed]}) {
        across.insert(across.end(), steep->begin(), steep->end());
      }
      for (std::vector<Line>* steep : {&thin[transposed], &thick[transposed]}) {
        for (auto line = steep->begin(); line != steep->end();) {
          const auto meets = [&](const Line& other) { return Meet(other, *line, middle); };
          const auto met = std::find_if(found.begin(), found.end(), meets);
          const bool taken = met == found.end()
                                 ? OfTheSheet(*line, found, across)
                                 : std::abs(met->slope) > limit && met->bottom - met->top <= kThickestEven * factor + 2;
          if (taken) {
            if (met == found.end()) {
              found.push_back(*line);
            } else {
              *met = *line;
            }
          }
          added = added || taken;
          line = taken ? steep->erase(line) : line + 1;
        }
      }
    }
  }
  // The rest may still be a box's side in perspective (AddFrames), or, thin,
  // a margin across light rules found later (Others): a thick straight band
  // across the rules is a pen's stroke as often, or the sheet's edge across
  // a form's lines.
  for (const bool transposed : {false, true}) {
    for (const std::vector<Line>* steep : {&thin[transposed], &thick[transposed]}) {
      frames[transposed].insert(frames[transposed].end(), steep->begin(), steep->end());
    }
  }
  rest = std::move(thin);
  return {};
}

// Where a line near the rows and one near the columns cross, (x, y).
std::pair<double, double> Crossing(const Line& row, const Line& column) {
  const double row_middle = (row.top + row.bottom) / 2;
  const double column_middle = (column.top + column.bottom) / 2;
  const double x = (column_middle + column.slope * row_middle) / (1 - column.slope * row.slope);
  return {x, row_middle + row.slope * x};
}

// Where `line` (near the rows, or `transposed` the columns) and `other` (of
// the other direction) cross: how far along each of them.
std::pair<double, double> CrossingAlong(const Line& line, const Line& other, bool transposed) {
  const auto [x, y] = transposed ? Crossing(other, line) : Crossing(line, other);
  return transposed ? std::pair{y, x} : std::pair{x, y};
}

// Whether `line` and `other` (of the other direction) meet at a box's corner:
// an end of each lies at their crossing, within `slack` and half the
// other's thickness. (A name's straight stroke standing on a signing line
// ends on it away from its ends.)
bool MeetAtACorner(const Line& line, const Line& other, bool transposed, double slack) {
  const auto [along_line, along_other] = CrossingAlong(line, other, transposed);
  const auto ends_at = [&](const Line& a, double along, const Line& b) {
    const double near = slack + (b.bottom - b.top) / 2;
    return std::abs(along - a.begin) <= near || std::abs(along - a.end) <= near;
  };
  return line.begin < line.end && other.begin < other.end && ends_at(line, along_line, other) &&
         ends_at(other, along_other, line);
}

// How many of `across` (lines of the other direction) cross `line` (near the
// rows, or `transposed` the columns) within its ink's stretch.
size_t Crossed(const Line& line, const std::vector<Line>& across, bool transposed) {
  return static_cast<size_t>(std::count_if(across.begin(), across.end(), [&](const Line& other) {
    const double along = CrossingAlong(line, other, transposed).first;
    return line.begin < line.end && along >= line.begin && along <= line.end;
  }));
}

// The lines whose ink runs unbroken for a while (a stretch): a ruled sheet's
// rules do, rows of print found as lines do not.
size_t Unbroken(const std::vector<Line>& lines) {
  return static_cast<size_t>(
      std::count_if(lines.begin(), lines.end(), [](const Line& line) { return line.begin < line.end; }));
}

// Whether `line`'s end at `end` (along it) lies on `other` (of the other
// direction): at their crossing, within `slack` and half the other's
// thickness, and on the other's ink (its stretch, within `slack`).
bool EndsOn(const Line& line, double end, const Line& other, bool transposed, double slack) {
  if (line.begin >= line.end || other.begin >= other.end) return false;
  const auto [along_line, along_other] = CrossingAlong(line, other, transposed);
  return std::abs(along_line - end) <= slack + (other.bottom - other.top) / 2 && along_other >= other.begin - slack &&
         along_other <= other.end + slack;
}

// The middle of `line`'s band at u along it.
double Middle(const Line& line, double u) { return (line.top + line.bottom) / 2 + (u + 0.5) * line.slope; }

// How much of the straight way from (ua, va) to (ub, vb) (along, across of a
// direction: full-size pixels) ink covers in the reduced `mask`, each cell
// within a cell along; 0 with a gap over kLongestBreak cells (a stroke
// crossing a box's side, a light side's grain breaks it less).
double InkCover(const Reduced& mask, bool transposed, int32_t factor, std::array<double, 4> ends) {
  const auto [ua, va, ub, vb] = ends;
  const auto inked = [&](int32_t u, int32_t v) {
    return mask.Inked(transposed, u - 1, v) || mask.Inked(transposed, u, v) || mask.Inked(transposed, u + 1, v);
  };
  const auto first = static_cast<int32_t>(std::ceil(std::min(va, vb) / factor));
  const auto last = static_cast<int32_t>(std::floor(std::max(va, vb) / factor));
  if (last - first < 2) return 0;
  int32_t hits = 0;
  int32_t gap = 0;
  for (int32_t v = first; v <= last; ++v) {
    const double u = ua + (ub - ua) * ((v + 0.5) * factor - va) / (vb - va);
    const bool hit = inked(static_cast<int32_t>(std::floor(u / factor)), v);
    hits += hit;
    gap = hit ? 0 : gap + 1;
    if (gap > kLongestBreak) return 0;
  }
  return static_cast<double>(hits) / (last - first + 1);
}

// How many cells of the reduced `mask` hold ink inside the box whose
// lines a and b (of a direction) and sides (their ends, u and v of each)
// enclose, `margin` pixels in from each.
int64_t InkInside(const Reduced& mask, bool transposed, int32_t factor, const Line& a, const Line& b,
                  const std::array<std::array<double, 4>, 2>& sides, double margin) {
  const auto side_at = [](const std::array<double, 4>& s, double v) {
    return s[0] + (s[2] - s[0]) * (v - s[1]) / (s[3] - s[1]);
  };
  const int32_t along = transposed ? mask.height : mask.width;
  const int32_t across = transposed ? mask.width : mask.height;
  const double low = std::min({sides[0][1], sides[0][3], sides[1][1], sides[1][3]});
  const double high = std::max({sides[0][1], sides[0][3], sides[1][1], sides[1][3]});
  int64_t inside = 0;
  const int32_t last_row = std::min(across, static_cast<int32_t>(high / factor) + 1);
  for (int32_t v = std::max(0, static_cast<int32_t>(low / factor)); v < last_row; ++v) {
    const double y = (v + 0.5) * factor;
    const double first = std::min(side_at(sides[0], y), side_at(sides[1], y)) + margin;
    const double last = std::max(side_at(sides[0], y), side_at(sides[1], y)) - margin;
    const int32_t last_column = std::min(along, static_cast<int32_t>(last / factor) + 1);
    for (int32_t u = std::max(0, static_cast<int32_t>(first / factor)); u < last_column; ++u) {
      const double x = (u + 0.5) * factor;
      const double top = std::min(Middle(a, x), Middle(b, x)) + margin;
      const double bottom = std::max(Middle(a, x), Middle(b, x)) - margin;
      if (x >= first && x <= last && y >= top && y <= bottom) inside += mask.Inked(transposed, u, v);
    }
  }
  return inside;
}

// A box drawn round the name: two shorter lines of a direction, within
// kSteepest of parallel and apart by over kLeastBoxPerThickness of their
// thickness, whose ends ink joins straight across at both ends (the box's
// other sides, too short to be found as lines; a hand's underline or long
// stroke is not closed so), with the name inside: ink there of at least
// kLeastInsideShare of the box's own (a name's written 口 or 田, large in a
// close photo, holds less). Both, and the sides joining them, go to
// `lines`; of two lines in `lines` already, the sides alone. At most
// kMostFrames lines a direction are paired, which bounds the work.
void AddClosedBoxes(std::array<std::vector<Line>, 2>& frames, const Reduced& mask, int32_t factor,
                    std::array<std::vector<Line>*, 2> lines) {
  if (frames[0].size() > kMostFrames || frames[1].size() > kMostFrames) return;
  // A side meets each line within a band's thickness and a crossing's cells
  // of its end, as AddFrames's corners do.
  const double slack = (kThickest + kCrossing) * factor;
  // The lines found whole before: a form's box whose longer sides were
  // found so is closed the same way, on a sheet of few lines (a ruling's
  // rules run from border to border, where no side joins them).
  const std::array<size_t, 2> whole{lines[0]->size(), lines[1]->size()};
  const bool few = Unbroken(*lines[0]) <= kMostFrameLines && Unbroken(*lines[1]) <= kMostFrameLines;
  for (const bool transposed : {false, true}) {
    std::vector<Line>& found = frames[transposed];
    // The side from a's end near `ea` to b's near `eb` that ink covers
    // most, over kLeastSideShare: its ends (u, v of each), within kSteepest
    // of square. The cover takes a cell's slack either side, so several ways
    // a pixel or two apart cover as much: the side runs in their middle (the
    // last of them lay that far off the side's ink, which then ran beside
    // the band cleared, as a stroke crossing it does, and stayed).
    const auto side = [&](const Line& a, double ea, const Line& b, double eb) -> std::optional<std::array<double, 4>> {
      double most = kLeastSideShare;
      double sum_a = 0;
      double sum_b = 0;
      int32_t ways = 0;
      for (double ua = ea - slack; ua <= ea + slack; ua += factor) {
        for (double ub = eb - slack; ub <= eb + slack; ub += factor) {
          if (std::abs(ub - ua) > kSteepest * std::abs(Middle(b, ub) - Middle(a, ua))) continue;
          const double cover = InkCover(mask, transposed, factor, {ua, Middle(a, ua), ub, Middle(b, ub)});
          if (cover < most) continue;
          if (cover > most || ways == 0) most = cover, sum_a = 0, sum_b = 0, ways = 0;
          sum_a += ua, sum_b += ub, ++ways;
        }
      }
      if (ways == 0) return std::nullopt;
      const double ua = sum_a / ways;
      const double ub = sum_b / ways;
      return std::array<double, 4>{ua, Middle(a, ua), ub, Middle(b, ub)};
    };
    const auto box = [&](const Line& a, const Line& b) -> std::optional<std::array<std::array<double, 4>, 2>> {
      if (a.begin >= a.end || b.begin >= b.end || std::abs(a.slope - b.slope) > kSteepest) return std::nullopt;
      const double apart = std::abs(Middle(a, a.begin) - Middle(b, a.begin));
      if (apart < kLeastBoxPerThickness * std::max(a.bottom - a.top, b.bottom - b.top)) return std::nullopt;
      const double skew = kSteepest * apart + 2 * slack;  // a side's ends apart along
      if (std::abs(a.begin - b.begin) > skew || std::abs(a.end - b.end) > skew) return std::nullopt;
      const auto first = side(a, a.begin, b, b.begin);
      const auto last = first ? side(a, a.end, b, b.end) : std::nullopt;
      if (!last) return std::nullopt;
      const std::array<std::array<double, 4>, 2> sides{*first, *last};
      const double thick = std::max(a.bottom - a.top, b.bottom - b.top);
      const auto length = [](double du, double dv) { return std::hypot(du, dv); };
      const double perimeter = length(a.end - a.begin, (a.end - a.begin) * a.slope) +
                               length(b.end - b.begin, (b.end - b.begin) * b.slope) +
                               length(first->at(2) - first->at(0), first->at(3) - first->at(1)) +
                               length(last->at(2) - last->at(0), last->at(3) - last->at(1));
      const double own = perimeter / factor * std::max(1.0, thick / factor);
      const int64_t inside = InkInside(mask, transposed, factor, a, b, sides, thick + slack);
      return inside >= kLeastInsideShare * own ? std::optional(sides) : std::nullopt;
    };
    // The sides joining a and b go to the lines of the other direction;
    // `once`: those not found already, as lines or as frames.
    const auto add_sides = [&](const Line& a, const Line& b, const std::array<std::array<double, 4>, 2>& sides,
                               bool once = false) {
      const double thick = std::max(a.bottom - a.top, b.bottom - b.top) + 1;
      for (const auto& [ua, va, ub, vb] : sides) {
        const double slope = (ub - ua) / (vb - va);
        const double centre = ua - (va + 0.5) * slope;
        const Line side{slope, centre - thick / 2, centre + thick / 2, a.heavy || b.heavy, std::min(va, vb),
                        std::max(va, vb)};
        const auto middle = static_cast<int32_t>((va + vb) / 2);
        const auto meets = [&](const Line& other) { return Meet(other, side, middle); };
        const std::vector<Line>& across = *lines[!transposed];
        const std::vector<Line>& shorter = frames[!transposed];
        if (once && (std::any_of(across.begin(), across.end(), meets) ||
                     std::any_of(shorter.begin(), shorter.end(), meets))) {
          continue;
        }
        lines[!transposed]->push_back(side);
      }
    };
    for (size_t i = 0; i < found.size();) {
      bool closed = false;
      for (size_t j = i + 1; j < found.size() && !closed; ++j) {
        const auto sides = box(found[i], found[j]);
        if (!sides) continue;
        const Line a = found[i];
        const Line b = found[j];
        add_sides(a, b, *sides);
        lines[transposed]->push_back(a);
        lines[transposed]->push_back(b);
        found.erase(found.begin() + static_cast<std::ptrdiff_t>(j));
        found.erase(found.begin() + static_cast<std::ptrdiff_t>(i));
        closed = true;
      }
      if (!closed) ++i;
    }
    if (!few) continue;
    const std::vector<Line>& known = *lines[transposed];
    for (size_t i = 0; i < whole[transposed]; ++i) {
      for (size_t j = i + 1; j < whole[transposed]; ++j) {
        if (const auto sides = box(known[i], known[j])) add_sides(known[i], known[j], *sides, true);
      }
    }
  }
}

// How far the middle of the ink of `line` (near the rows) strays from a
// straight line along its stretch (root mean square, pixels), read where a
// single run no thicker than its band lies across it, ending within two
// pixels beside the band (not where a stroke crosses it); -1 where under
// kLeastReadShare of its stretch reads so.
double Stray(const InkBits& ink, const Line& line) {
  constexpr int32_t kBeside = 2;
  const auto first = std::max<int32_t>(0, static_cast<int32_t>(line.begin));
  const auto last = std::min<int32_t>(ink.width(), static_cast<int32_t>(line.end));
  double n = 0, su = 0, sv = 0, suu = 0, suv = 0, svv = 0;
  for (int32_t u = first; u < last; ++u) {
    const auto [band_top, band_bottom] = Band(line, u, ink.height());
    const int32_t top = std::max(0, band_top - kBeside);
    const int32_t bottom = std::min(ink.height(), band_bottom + kBeside);
    int32_t runs = 0, count = 0;
    double sum = 0;
    for (int32_t v = top; v < bottom; ++v) {
      const bool on = ink.Get(u, v);
      runs += on && (v == top || !ink.Get(u, v - 1));
      if (on) ++count, sum += v;
    }
    if (runs != 1 || count > band_bottom - band_top + 1 || ink.Get(u, top) || ink.Get(u, bottom - 1)) continue;
    const double v = sum / count;
    n += 1, su += u, sv += v, suu += static_cast<double>(u) * u, suv += u * v, svv += v * v;
  }
  if (n < kLeastReadShare * (last - first) || n < 8) return -1;
  // The least squares line's residuals: Svv − Suv² / Suu about the means.
  const double uu = suu - su * su / n, uv = suv - su * sv / n, vv = svv - sv * sv / n;
  return std::sqrt(std::max(0.0, (vv - uv * uv / uu) / n));
}

// Adds to `lines` (rows and columns) the `frames` (the shorter lines found,
// by direction) that meet a line of the other direction at a corner; that
// end on such lines, or on one and at the border of the picture (`width` ×
// `height`), at both ends (a table's divider, a box the photo cuts: a name's
// straight stroke standing on a line has a free end); or that run from
// border to border with such a line ending on them. One by one, as a box's
// sides each carry the next on; on a sheet of few unbroken lines.
void AddFrames(std::array<std::vector<Line>, 2>& frames, int32_t factor, std::array<std::vector<Line>*, 2> lines,
               int32_t width, int32_t height) {
  if (Unbroken(*lines[0]) > kMostFrameLines || Unbroken(*lines[1]) > kMostFrameLines ||
      frames[0].size() > kMostFrames || frames[1].size() > kMostFrames) {
    return;
  }
  // Where two lines join, neither's cells run thin: each line's ink may stop
  // a band's thickness and a crossing's cells short of the corner.
  const double slack = (kThickest + kCrossing) * factor;
  for (bool added = true; added;) {
    added = false;
    for (const bool transposed : {false, true}) {
      const std::vector<Line>& others = *lines[!transposed];
      for (auto line = frames[transposed].begin(); line != frames[transposed].end();) {
        const auto corner = [&](const Line& other) { return MeetAtACorner(*line, other, transposed, slack); };
        const auto on_a_line = [&](double end) {
          return std::any_of(others.begin(), others.end(),
                             [&](const Line& other) { return EndsOn(*line, end, other, transposed, slack); });
        };
        // An end at the picture's border: a box the photo cuts.
        const auto at_the_border = [&](double end) {
          const double middle = (line->top + line->bottom) / 2 + line->slope * end;
          return end <= slack || end >= (transposed ? height : width) - slack || middle <= slack ||
                 middle >= (transposed ? width : height) - slack;
        };
        // A line found of the other direction ends on it.
        const auto stood_on = [&] {
          return std::any_of(others.begin(), others.end(), [&](const Line& other) {
            return EndsOn(other, other.begin, *line, !transposed, slack) ||
                   EndsOn(other, other.end, *line, !transposed, slack);
          });
        };
        const bool on_begin = on_a_line(line->begin);
        const bool on_end = on_a_line(line->end);
        const bool taken = std::any_of(others.begin(), others.end(), corner) ||
                           ((on_begin || on_end) && (on_begin || at_the_border(line->begin)) &&
                            (on_end || at_the_border(line->end))) ||
                           (at_the_border(line->begin) && at_the_border(line->end) && stood_on());
        if (taken) lines[transposed]->push_back(*line);
        added = added || taken;
        line = taken ? frames[transposed].erase(line) : line + 1;
      }
    }
  }
}

// The pixels of `a` and of `b` in the band of `line` (near the rows, or
// `transposed` the columns), over the picture.
std::pair<int64_t, int64_t> InBand(const Line& line, bool transposed, const InkBits& a, const InkBits& b) {
  const auto get = [&](const InkBits& ink, int32_t u, int32_t v) { return transposed ? ink.Get(v, u) : ink.Get(u, v); };
  const int32_t along = transposed ? a.height() : a.width();
  const int32_t across = transposed ? a.width() : a.height();
  int64_t in_a = 0;
  int64_t in_b = 0;
  for (int32_t u = 0; u < along; ++u) {
    const auto [top, bottom] = Band(line, u, across);
    for (int32_t v = top; v < bottom; ++v) in_a += get(a, u, v), in_b += get(b, u, v);
  }
  return {in_a, in_b};
}

}  // namespace

Result<PaperLines> PaperLines::Find(const InkBits& ink, bool thick, bool boxes) {
  return Search(ink, thick, kLeastSpan, thick && boxes);
}

Result<PaperLines> PaperLines::Search(const InkBits& ink, bool thick, double least_span, bool boxes) {
  const int32_t side = std::max(ink.width(), ink.height());
  const int32_t factor = std::max(1, (side + kReducedSide - 1) / kReducedSide);
  const Reduced reduced = QUOREL_TRY(Reduce(ink, factor));
  std::array<Reduced, 2> heavier;  // halved, halved twice
  if (thick) heavier = {QUOREL_TRY(Reduce(ink, 2 * factor)), QUOREL_TRY(Reduce(ink, 4 * factor))};
  PaperLines lines;
  std::array<std::vector<Line>, 2> frames;  // shorter ones, by direction, taken below
  for (const bool transposed : {false, true}) {
    std::vector<Line>& found = transposed ? lines.columns_ : lines.rows_;
    std::vector<Line>* shorter = thick ? &frames[transposed] : nullptr;
    found = QUOREL_TRY(FindLines(reduced, transposed, factor, Thickness::kThin, least_span, {}, shorter, boxes));
    if (!thick) continue;
    // Thicker ones, where no thinner line was found; then heavy ones, and
    // heavier ones.
    const int32_t middle = (transposed ? ink.height() : ink.width()) / 2;
    for (int32_t halvings = 0; halvings <= 2; ++halvings) {
      const Reduced& mask = halvings == 0 ? reduced : heavier[halvings - 1];
      std::vector<Line> thicker_frames;
      for (Line line :
           QUOREL_TRY(FindLines(mask, transposed, factor << halvings, Thickness::kThick, least_span, {},
                                &thicker_frames, boxes))) {
        const auto meets = [&](const Line& thinner) { return Meet(thinner, line, middle); };
        line.heavy = halvings > 0;
        if (std::none_of(found.begin(), found.end(), meets)) found.push_back(line);
      }
      for (Line line : thicker_frames) {
        const auto meets = [&](const Line& thinner) { return Meet(thinner, line, middle); };
        line.heavy = halvings > 0;
        if (std::none_of(shorter->begin(), shorter->end(), meets)) shorter->push_back(line);
      }
    }
  }
  // Steeper ones only on a sheet with lines found already.
  if (thick && !lines.empty()) {
    QUOREL_TRY(AddSteepLines(reduced, factor, least_span, ink.width(), ink.height(), {&lines.rows_, &lines.columns_},
                             frames, lines.steep_));
  }
  if (boxes) AddClosedBoxes(frames, reduced, factor, {&lines.rows_, &lines.columns_});
  if (thick) AddFrames(frames, factor, {&lines.rows_, &lines.columns_}, ink.width(), ink.height());
  // What is left near the rows and straight may be a form's printed line
  // (ClearPrinted judges it by the writing).
  for (const Line& line : frames[0]) {
    const double stray = boxes ? Stray(ink, line) : -1;
    if (stray >= 0 && stray <= kMostPrintedStray) lines.printed_.push_back(line);
  }
  return lines;
}

Result<PaperLines> PaperLines::Others(const InkBits& faint, const InkBits& strong) const {
  // Thin ones only: a close-up's thick rules run whole in the first mask
  // already, and the thick look would cost as much as the thin one here.
  PaperLines found = QUOREL_TRY(Search(faint, false, kLeastLightSpan, false));
  PaperLines others;
  for (const bool transposed : {false, true}) {
    const std::vector<Line>& known = transposed ? columns_ : rows_;
    const int32_t along = transposed ? faint.height() : faint.width();
    for (const Line& line : transposed ? found.columns_ : found.rows_) {
      const auto meets = [&](const Line& old) { return Meet(old, line, along / 2); };
      if (std::any_of(known.begin(), known.end(), meets)) continue;
      const auto [in_faint, in_strong] = InBand(line, transposed, faint, strong);
      if (in_strong * kStrongShare < in_faint) (transposed ? others.columns_ : others.rows_).push_back(line);
    }
  }
  // A steeper line of the first look that crosses several rules, of either
  // look, is the sheet's margin: a hand's straight stroke does not run
  // across most of the picture and over that many rules.
  for (const bool transposed : {false, true}) {
    std::vector<Line> across = transposed ? rows_ : columns_;
    const std::vector<Line>& found_across = transposed ? others.rows_ : others.columns_;
    across.insert(across.end(), found_across.begin(), found_across.end());
    const int32_t along = transposed ? faint.height() : faint.width();
    const std::vector<Line>& known = transposed ? columns_ : rows_;
    for (const Line& line : steep_[transposed]) {
      const auto meets = [&](const Line& old) { return Meet(old, line, along / 2); };
      if (std::none_of(known.begin(), known.end(), meets) && Crossed(line, across, transposed) >= kRulesCrossed) {
        (transposed ? others.columns_ : others.rows_).push_back(line);
      }
    }
  }
  return others;
}

PaperLines PaperLines::NotMostlyOf(const InkBits& all, const InkBits& own) const {
  PaperLines kept;
  for (const bool transposed : {false, true}) {
    const auto keep = [&](const std::vector<Line>& lines, std::vector<Line>& to) {
      for (const Line& line : lines) {
        const auto [pixels, owned] = InBand(line, transposed, all, own);
        if (2 * owned <= pixels) to.push_back(line);
      }
    };
    keep(transposed ? columns_ : rows_, transposed ? kept.columns_ : kept.rows_);
    keep(steep_[transposed], kept.steep_[transposed]);
  }
  return kept;
}

Result<void> PaperLines::Clear(InkBits& found, InkBits& strong) const {
  if (empty()) return {};
  InkBits rest = QUOREL_TRY(found.Copy());
  ClearNear(rest, 0);
  const std::vector<Line>* lines[2] = {&rows_, &columns_};
  for (const bool transposed : {false, true}) {
    QUOREL_TRY(ClearLines(*lines[transposed], View{&found, transposed}, View{&strong, transposed},
                          View{&rest, transposed}));
  }
  return {};
}

Result<void> PaperLines::ClearPrinted(InkBits& ink) const {
  PaperLines under;  // the lines under the writing
  for (const Line& line : printed_) {
    // How far the rest of the ink spans along the rows (a band's thickness
    // beside the line is the line's, or a stroke crossing it).
    const auto beside = static_cast<int32_t>(std::ceil(line.bottom - line.top));
    Buffer<int64_t> columns = QUOREL_TRY(Buffer<int64_t>::Filled(static_cast<size_t>(ink.width())));
    int64_t count = 0;
    ForEachInk(ink, [&](int32_t x, int32_t y) {
      const auto [top, bottom] = Band(line, x, ink.height());
      if (y >= top - beside && y < bottom + beside) return;
      ++columns[static_cast<size_t>(x)], ++count;
    });
    if (count == 0) continue;
    // Its span less a hundredth of its pixels at each end: a speck far off
    // (a glyph's remnant) does not stretch it.
    const auto tail = static_cast<int64_t>(kSpanTail * static_cast<double>(count));
    int32_t left = 0;
    int32_t right = ink.width() - 1;
    for (int64_t seen = columns[0]; seen <= tail; seen += columns[static_cast<size_t>(++left)]) {}
    for (int64_t seen = columns[static_cast<size_t>(right)]; seen <= tail;
         seen += columns[static_cast<size_t>(--right)]) {
    }
    if (line.end - line.begin >= kLeastUnderShare * (right + 1 - left)) under.rows_.push_back(line);
  }
  return under.Clear(ink, ink);
}

bool PaperLines::RunsUnder(const PixelRect& box, int32_t reach) const {
  const int32_t middle = (box.left + box.right) / 2;
  const auto under = [&](const Line& line) {
    const int32_t top = Band(line, middle, std::numeric_limits<int32_t>::max()).first;
    const bool spans = line.end <= line.begin || (line.begin <= box.right + reach && line.end >= box.left);
    return spans && 2 * top >= box.top + box.bottom && top <= box.bottom + reach;
  };
  return std::any_of(rows_.begin(), rows_.end(), under) || std::any_of(printed_.begin(), printed_.end(), under);
}

void PaperLines::ClearNear(InkBits& ink, int32_t reach, bool printed) const {
  const auto clear = [&](const Line& line, const View& view, int32_t from, int32_t to) {
    for (int32_t u = std::max(0, from); u < std::min(view.along(), to); ++u) {
      const auto [top, bottom] = Band(line, u, view.across());
      const int32_t last = std::min(view.across(), bottom + reach);
      for (int32_t v = std::max(0, top - reach); v < last; ++v) view.Clear(u, v);
    }
  };
  const std::vector<Line>* lines[2] = {&rows_, &columns_};
  for (const bool transposed : {false, true}) {
    const View view{&ink, transposed};
    for (const Line& line : *lines[transposed]) clear(line, view, 0, view.along());
  }
  if (!printed) return;
  const View rows{&ink, false};
  for (const Line& line : printed_) {
    clear(line, rows, static_cast<int32_t>(std::floor(line.begin)) - reach,
          static_cast<int32_t>(std::ceil(line.end)) + reach);
  }
}

double PaperLines::NearShare(int32_t reach, int32_t width, int32_t height) const {
  double most = 0;
  const std::vector<Line>* lines[2] = {&rows_, &columns_};
  for (const bool transposed : {false, true}) {
    const int32_t along = transposed ? height : width;
    const int32_t across = transposed ? width : height;
    std::vector<std::pair<int32_t, int32_t>> near;  // [from, to) across, at the middle along
    for (const Line& line : *lines[transposed]) {
      const auto [top, bottom] = Band(line, along / 2, across);
      near.emplace_back(std::max(0, top - reach), std::min(across, bottom + reach));
    }
    std::sort(near.begin(), near.end());
    int32_t covered = 0;
    int32_t reached = 0;  // the covered part ends here
    for (const auto& [from, to] : near) {
      covered += std::max(0, to - std::max(from, reached));
      reached = std::max(reached, to);
    }
    most = std::max(most, across > 0 ? static_cast<double>(covered) / across : 0.0);
  }
  return most;
}

}  // namespace quorel
