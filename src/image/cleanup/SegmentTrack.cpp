// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/SegmentTrack.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "common/Buffer.h"
#include "image/cleanup/GridExtreme.h"
#include "image/cleanup/HistogramLevel.h"
#include "image/cleanup/InkPieces.h"

namespace quorel {
namespace {

// Eight directions half a right angle or less apart. A segment takes the same
// number of samples in each, so the noise averages alike.
struct Step {
  int32_t dx, dy;
};
constexpr std::array<Step, 8> kSteps{{{1, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 1}, {-1, 2}, {-1, 1}, {-2, 1}}};
// The first look's half segment, in strokes' reaches (and one more sample).
constexpr int32_t kFirstHalfPerReach = 2;
constexpr int32_t kLongestHalf = 31;
// The box looked at reaches this many first segments past the ink's.
constexpr int32_t kMarginPerSegment = 4;
constexpr double kTrackSpreads = 3.0;
// Signal this many spreads over the paper seeds a track of its own: a
// stroke on which the pixel look found no flake.
constexpr double kSeedSpreads = 8.0;
// The signal is kept as a half segment's mean darkness in quarters (up to a
// mean of 63.75: the ink found darker than that is not this look's).
constexpr int32_t kQuarters = 4;
// The ridge of the track: signal three quarters of the way to its peak. The
// ink found holds it where it lies on or beside most of the ridge within
// kRidgeReachPerReach reaches (two strokes and the paper between them).
constexpr int32_t kRidgeNum = 3;
constexpr int32_t kRidgeDen = 4;
constexpr int32_t kRidgeReachPerReach = 2;
// Ink found broken at least every kFlakeSpacing track widths along the
// track is a pencil's flakes on the paper's tooth; ink found whole is broken
// only where the track is (between words, strokes lifted).
constexpr double kFlakeSpacing = 24.0;
// A sensor's outermost rows and columns are often darker: nothing is added
// this near the picture's edge.
constexpr int32_t kEdge = 2;
// The look keeps up to four bytes a pixel of the ink's box: not beyond this size.
constexpr int64_t kMostPixels = int64_t{1} << 23;

struct Box {
  int32_t left, top, width, height;
  bool Inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  size_t At(int32_t x, int32_t y) const { return static_cast<size_t>(y) * width + x; }
};

// The look's masks hold the box's rows and the bytes of its columns only (a
// mask of the picture would be made, scanned and grown whole): `left` is a
// multiple of 8, so rows move as bytes. All the ink lies in the box.
struct Frame {
  int32_t left, top, width, height;

  Result<InkBits> Cut(const InkBits& picture) const {
    InkBits local = QUOREL_TRY(InkBits::Create(width, height));
    for (int32_t y = 0; y < height; ++y) {
      std::copy_n(picture.Row(top + y) + left / 8, local.stride(), local.MutableRow(y));
    }
    return local;
  }
  Result<InkBits> Put(const InkBits& local, int32_t picture_width, int32_t picture_height) const {
    InkBits picture = QUOREL_TRY(InkBits::Create(picture_width, picture_height));
    for (int32_t y = 0; y < height; ++y) {
      std::copy_n(local.Row(y), local.stride(), picture.MutableRow(top + y) + left / 8);
    }
    return picture;
  }
};

// A step moves at most this many columns.
constexpr int32_t kWidestStep = 2;
// A row of sums reaches half a segment past the box either side (the sum
// ahead of a place near a side ends there), and one step more is read.
constexpr int32_t kSumsMargin = kWidestStep * (kLongestHalf + 1);
// A row of darkness has paper either side as far as the sample leaving a
// sum at the widest place lies.
constexpr int32_t kDarkMargin = kWidestStep * (2 * kLongestHalf + 1);

// Scratch of SegmentSignal, sized for the longest half segment: the best
// lesser half of each pixel of the box so far (two bytes a pixel), one
// direction's rows of sums still needed (a ring, and a row of paper after
// it), and rows of darkness with paper either side (entering, leaving, all
// paper).
struct SignalScratch {
  Buffer<int16_t> best;
  Buffer<int16_t> sums;
  Buffer<uint8_t> dark_rows;
  size_t sums_stride = 0;
  size_t dark_stride = 0;

  static Result<SignalScratch> Create(const Box& box) {
    SignalScratch s;
    s.sums_stride = static_cast<size_t>(box.width) + 2 * kSumsMargin;
    s.dark_stride = static_cast<size_t>(box.width) + 2 * kDarkMargin;
    s.best = QUOREL_TRY(Buffer<int16_t>::Filled(static_cast<size_t>(box.width) * box.height));
    s.sums = QUOREL_TRY(Buffer<int16_t>::Filled((kWidestStep * kLongestHalf + 2) * s.sums_stride));
    s.dark_rows = QUOREL_TRY(Buffer<uint8_t>::Filled(3 * s.dark_stride));
    return s;
  }
};

// One direction's lesser halves into `s.best`. A place's sum is that of the
// `half` + 1 samples ending at it (samples beyond the box are paper, 0); the
// half ahead of it is the sum `half` steps on. Row by row, a sum is the one a
// step back plus the sample entering less the one leaving: a few operations a
// pixel, along rows, whatever the segment's length.
void AddDirection(const Box& box, const Buffer<uint8_t>& dark, Step step, int32_t half, SignalScratch& s) {
  const int32_t ring = half * step.dy + 1;
  // Places never summed in this direction lie beyond every sample: 0.
  std::fill_n(s.sums.begin(), ring * s.sums_stride, int16_t{0});
  const int16_t* paper_sums = &s.sums[s.sums.size() - s.sums_stride + kSumsMargin];
  const auto sums_row = [&](int32_t y) {
    return &s.sums[static_cast<size_t>(y % ring) * s.sums_stride + kSumsMargin];
  };
  const auto dark_row = [&](int32_t y, size_t slot) -> const uint8_t* {
    if (y < 0 || y >= box.height) return &s.dark_rows[2 * s.dark_stride + kDarkMargin];
    uint8_t* row = &s.dark_rows[slot * s.dark_stride + kDarkMargin];
    std::copy_n(&dark[box.At(0, y)], box.width, row);
    return row;
  };
  const int32_t side = half * std::abs(step.dx);
  for (int32_t y = 0; y < box.height + half * step.dy; ++y) {
    int16_t* sums = sums_row(y);
    // Along a row (dy 0) the sum a step back is this row's, just written.
    const int16_t* back = (y >= step.dy ? sums_row(y - step.dy) : paper_sums) - step.dx;
    const uint8_t* entering = dark_row(y, 0);
    const uint8_t* leaving = dark_row(y - (half + 1) * step.dy, 1) - (half + 1) * step.dx;
    for (int32_t x = -side; x < box.width + side; ++x) {
      sums[x] = static_cast<int16_t>(back[x] + entering[x] - leaving[x]);
    }
    // Row r's halves are now both summed: behind ending at it, ahead ending here.
    const int32_t r = y - half * step.dy;
    if (r < 0) continue;
    const int16_t* behind = sums_row(r);
    const int16_t* ahead = sums + half * step.dx;
    int16_t* best = &s.best[box.At(0, r)];
    for (int32_t x = 0; x < box.width; ++x) best[x] = std::max(best[x], std::min(behind[x], ahead[x]));
  }
}

// Each pixel's signal: the largest over the directions of the lesser of the
// mean darkness of the `half` + 1 samples either side of it, the pixel
// included, in quarters. Samples beyond the box count as paper.
void SegmentSignal(const Box& box, const Buffer<uint8_t>& dark, int32_t half, SignalScratch& scratch,
                   Buffer<uint8_t>& signal) {
  std::fill(scratch.best.begin(), scratch.best.end(), int16_t{0});
  for (const Step step : kSteps) AddDirection(box, dark, step, half, scratch);
  // Each sum of `count` samples as a mean in quarters; rising with the sum,
  // so the best sum gives the best mean.
  const int32_t count = half + 1;
  std::array<uint8_t, 255 * (kLongestHalf + 1) + 1> quarters;
  for (int32_t sum = 0; sum <= 255 * count; ++sum) {
    quarters[sum] = static_cast<uint8_t>(std::min((kQuarters * sum + count / 2) / count, 255));
  }
  for (size_t i = 0; i < signal.size(); ++i) signal[i] = quarters[static_cast<size_t>(scratch.best[i])];
}

// The paper's level of the signal (its median: most of the box is paper),
// where the track begins and where it is seeded, kTrackSpreads and
// kSeedSpreads spreads over it (PaperNoiseOf).
struct Level {
  int32_t paper = 0;
  int32_t least = 0;
  int32_t seed = 0;
};

Level PaperLevel(const Buffer<uint8_t>& signal) {
  std::array<uint64_t, 256> histogram{};
  for (const uint8_t s : signal) ++histogram[s];
  const PaperNoise noise = PaperNoiseOf(histogram, signal.size());
  Level level;
  level.paper = noise.level;
  const double spread = std::max(1.0, noise.spread);
  level.least = static_cast<int32_t>(std::ceil(level.paper + kTrackSpreads * spread));
  level.seed = static_cast<int32_t>(std::ceil(level.paper + kSeedSpreads * spread));
  return level;
}

// The signal's pixels at `least` or more, as a mask like `ink`.
Result<InkBits> Over(const InkBits& ink, const Box& box, const Buffer<uint8_t>& signal, int32_t least) {
  InkBits over = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
  for (int32_t y = 0; y < box.height; ++y) {
    for (int32_t x = 0; x < box.width; ++x) {
      if (signal[box.At(x, y)] >= least) over.Set(box.left + x, box.top + y);
    }
  }
  return over;
}

// The largest signal within `reach` (a square) of each pixel of the box: of
// all pixels into `all`, of those not in `ink` into `fresh`. Along the rows
// first, then down the columns.
Result<void> Peaks(const InkBits& ink, const Box& box, const Buffer<uint8_t>& signal, int32_t reach,
                   Buffer<uint8_t>& all, Buffer<uint8_t>& fresh) {
  RunningMax running = QUOREL_TRY(RunningMax::Create(box.width, reach));
  for (int32_t y = 0; y < box.height; ++y) {
    const uint8_t* row = &signal[box.At(0, y)];
    running.Run([&](int32_t x) { return row[x]; }, &all[box.At(0, y)]);
    running.Run([&](int32_t x) { return ink.Get(box.left + x, box.top + y) ? uint8_t{0} : row[x]; },
                &fresh[box.At(0, y)]);
  }
  Buffer<uint8_t> start;
  QUOREL_TRY(ColumnMax(all, box.width, box.height, reach, start));
  return ColumnMax(fresh, box.width, box.height, reach, start);
}

// Where the track may run, and its ridge: a pixel of signal `level.least`
// or more is allowed at half way from the paper to the largest signal within
// `reach` that is not ink yet, ridge at kRidgeNum / kRidgeDen of the way to
// the largest of all. `rows` is scratch of the box's size.
struct TrackCut {
  InkBits allowed;
  InkBits ridge;
};

Result<TrackCut> CutTrack(const InkBits& ink, const Box& box, const Buffer<uint8_t>& signal, const Level& level,
                          int32_t reach, Buffer<uint8_t>& rows) {
  TrackCut cut{QUOREL_TRY(InkBits::Create(ink.width(), ink.height())),
               QUOREL_TRY(InkBits::Create(ink.width(), ink.height()))};
  Buffer<uint8_t>& peak_all = rows;
  Buffer<uint8_t> peak_fresh = QUOREL_TRY(Buffer<uint8_t>::Filled(signal.size()));
  QUOREL_TRY(Peaks(ink, box, signal, reach, peak_all, peak_fresh));
  for (int32_t y = 0; y < box.height; ++y) {
    for (int32_t x = 0; x < box.width; ++x) {
      const int32_t own = signal[box.At(x, y)];
      if (own < level.least) continue;
      const int32_t peak = peak_all[box.At(x, y)];
      const int32_t fresh = std::max<int32_t>(own, peak_fresh[box.At(x, y)]);
      if (2 * (own - level.paper) >= fresh - level.paper) cut.allowed.Set(box.left + x, box.top + y);
      if (kRidgeDen * (own - level.paper) >= kRidgeNum * (peak - level.paper)) {
        cut.ridge.Set(box.left + x, box.top + y);
      }
    }
  }
  return cut;
}

// Calls visit(x, y) for each pixel of `mask` in the box's rows and bytes
// (the masks here hold pixels of the box only).
template <class Visit>
void ForEachInBox(const InkBits& mask, const Box& box, Visit visit) {
  const size_t first = static_cast<size_t>(box.left) >> 3;
  const size_t last = static_cast<size_t>(box.left + box.width - 1) >> 3;
  for (int32_t y = box.top; y < box.top + box.height; ++y) {
    const uint8_t* row = mask.Row(y);
    for (size_t byte = first; byte <= last; ++byte) {
      for (unsigned bits = row[byte]; bits != 0; bits &= bits - 1) {
        visit(static_cast<int32_t>(byte * 8) + __builtin_ctz(bits), y);
      }
    }
  }
}

// The pixels of `track` not in `ink` where under half of the ridge within
// `reach` lies on or beside `ink` (a thin stroke found a pixel off its ridge
// is found), and within `inner`: not on the picture's outermost rows and
// columns (often darker on a sensor). The ridge is counted down each column of the box
// first: `ridges` and `found` take a count a pixel of the box (`reach` is at
// most 127).
Result<InkBits> Unfound(const InkBits& ink, const Box& box, const InkBits& track, const InkBits& ridge,
                        const PixelRect& inner, int32_t reach, Buffer<uint8_t>& ridges, Buffer<uint8_t>& found) {
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  InkBits added = QUOREL_TRY(InkBits::Create(w, h));
  InkBits near = QUOREL_TRY(InkBits::Create(w, h));
  ForEachInBox(ink, box, [&](int32_t x, int32_t y) {
    for (int32_t yy = std::max(0, y - 1); yy <= std::min(h - 1, y + 1); ++yy) {
      for (int32_t xx = std::max(0, x - 1); xx <= std::min(w - 1, x + 1); ++xx) near.Set(xx, yy);
    }
  });
  // A pixel of the ridge counts in its column's rows within `reach`: one
  // more where they begin, one less past their end, summed down the columns
  // (a byte's wrapping cancels out: a count stays under 256).
  std::fill(ridges.begin(), ridges.end(), uint8_t{0});
  std::fill(found.begin(), found.end(), uint8_t{0});
  ForEachInBox(ridge, box, [&](int32_t x, int32_t y) {
    const int32_t bx = x - box.left;
    const int32_t by = y - box.top;
    const uint8_t beside = near.Get(x, y);
    ridges[box.At(bx, std::max(0, by - reach))] += 1;
    found[box.At(bx, std::max(0, by - reach))] += beside;
    if (by + reach + 1 >= box.height) return;
    ridges[box.At(bx, by + reach + 1)] -= 1;
    found[box.At(bx, by + reach + 1)] -= beside;
  });
  for (int32_t y = 1; y < box.height; ++y) {
    for (int32_t x = 0; x < box.width; ++x) {
      ridges[box.At(x, y)] += ridges[box.At(x, y - 1)];
      found[box.At(x, y)] += found[box.At(x, y - 1)];
    }
  }
  // Then along the rows the track reaches: running sums, one row at a time.
  Buffer<int32_t> ridges_along = QUOREL_TRY(Buffer<int32_t>::Filled(static_cast<size_t>(box.width) + 1));
  Buffer<int32_t> found_along = QUOREL_TRY(Buffer<int32_t>::Filled(static_cast<size_t>(box.width) + 1));
  int32_t row_summed = -1;
  ForEachInBox(track, box, [&](int32_t x, int32_t y) {
    if (ink.Get(x, y) || x < inner.left || y < inner.top || x >= inner.right || y >= inner.bottom) return;
    const int32_t bx = x - box.left;
    const int32_t by = y - box.top;
    if (by != row_summed) {
      for (int32_t xx = 0; xx < box.width; ++xx) {
        ridges_along[xx + 1] = ridges_along[xx] + ridges[box.At(xx, by)];
        found_along[xx + 1] = found_along[xx] + found[box.At(xx, by)];
      }
      row_summed = by;
    }
    const int32_t first = std::max(0, bx - reach);
    const int32_t end = std::min(box.width, bx + reach + 1);
    const int32_t ridge_count = ridges_along[end] - ridges_along[first];
    const int32_t found_count = found_along[end] - found_along[first];
    if (2 * found_count < ridge_count) added.Set(x, y);
  });
  return added;
}

// The pieces (8-connected) of `mask` that hold a pixel of `holding`: their
// number and area.
struct PieceCount {
  int64_t pieces = 0;
  int64_t area = 0;
};

Result<PieceCount> CountPieces(const InkBits& mask, const InkBits& holding) {
  InkBits walked = QUOREL_TRY(mask.Copy());
  PieceCount count;
  bool holds = false;
  WalkPieces(
      walked, 1, [&](int32_t x, int32_t y) { holds = holds || holding.Get(x, y); },
      [&](const auto&, int64_t area, const PixelRect&) {
        if (holds) ++count.pieces, count.area += area;
        holds = false;
      });
  return count;
}

// Whether `ink` lies along `track` (which holds it) as flakes
// (kFlakeSpacing): the breaks between its pieces within the track's pieces,
// counted against those pieces' length, their area over their width.
Result<bool> InFlakes(const InkBits& ink, const InkBits& track) {
  const double width = StrokeWidth(track);
  const PieceCount found = QUOREL_TRY(CountPieces(ink, ink));
  const PieceCount along = QUOREL_TRY(CountPieces(track, ink));
  const auto breaks = static_cast<double>(found.pieces - along.pieces);
  return width > 0 && breaks * kFlakeSpacing * width * width >= static_cast<double>(along.area);
}

// Each pixel's darkness averaged over the 3 × 3 pixels around it, for the
// box's pixels (samples beyond the box count as paper, 0); `left`, `top`:
// the box in the picture.
Result<Buffer<uint8_t>> MeanOfNine(const Box& box, int32_t left, int32_t top, const DarknessRows& darkness) {
  const size_t width = static_cast<size_t>(box.width);
  Buffer<uint8_t> mean = QUOREL_TRY(Buffer<uint8_t>::Filled(width * box.height));
  // Each row's sums of three pixels along it, for rows y − 1 … y + 1 (a ring;
  // the rows beyond the box stay 0).
  Buffer<uint16_t> across = QUOREL_TRY(Buffer<uint16_t>::Filled(4 * width));
  const auto row_of = [&](int32_t y) {
    return &across[(y < 0 || y >= box.height ? 3 : static_cast<size_t>(y % 3)) * width];
  };
  for (int32_t next = 0; next <= box.height; ++next) {
    if (next < box.height) {
      const uint8_t* d = darkness(top + next, left, left + box.width);
      uint16_t* out = row_of(next);
      for (int32_t x = 0; x < box.width; ++x) {
        out[x] = static_cast<uint16_t>(d[x] + (x > 0 ? d[x - 1] : 0) + (x + 1 < box.width ? d[x + 1] : 0));
      }
    }
    const int32_t y = next - 1;
    if (y < 0) continue;
    const uint16_t* above = row_of(y - 1);
    const uint16_t* own = row_of(y);
    const uint16_t* below = row_of(next);
    for (int32_t x = 0; x < box.width; ++x) {
      mean[box.At(x, y)] = static_cast<uint8_t>((above[x] + own[x] + below[x] + 4) / 9);
    }
  }
  return mean;
}

// The pixels of `track` not in `ink`, within `inner`, whose own tone (a
// 3 × 3 mean) stands kTrackSpreads spreads over the paper's (the paper
// inside a small loop of a stroke takes the loop's signal, not its tone), in
// pieces that spread `along` or more together with the ink they join (the
// paper's tone between flakes is cut up by them).
Result<InkBits> BetweenFlakes(const InkBits& ink, const Box& box, const InkBits& track, const PixelRect& inner,
                              double along, const Buffer<uint8_t>& tone) {
  std::array<uint64_t, 256> histogram{};
  for (const uint8_t t : tone) ++histogram[t];
  const PaperNoise paper = PaperNoiseOf(histogram, tone.size());
  const double least = paper.level + kTrackSpreads * std::max(1.0, paper.spread);
  InkBits added = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
  ForEachInBox(track, box, [&](int32_t x, int32_t y) {
    if (ink.Get(x, y) || x < inner.left || y < inner.top || x >= inner.right || y >= inner.bottom) return;
    if (tone[box.At(x - box.left, y - box.top)] >= least) added.Set(x, y);
  });
  InkBits joined = QUOREL_TRY(added.Copy());
  Unite(joined, ink);
  QUOREL_TRY(KeepLongPieces(joined, along));
  Intersect(added, joined);
  return added;
}

}  // namespace

Result<InkBits> FindSegmentTrack(const InkBits& picture_ink, int32_t reach, const DarknessRows& darkness) {
  const int32_t w = picture_ink.width();
  const int32_t h = picture_ink.height();
  const PixelRect bounds = InkBounds(picture_ink);
  if (bounds.right == 0) return InkBits::Create(w, h);
  int32_t half = std::min(kFirstHalfPerReach * std::max(reach, 1) + 1, kLongestHalf);
  const int32_t margin = kMarginPerSegment * (2 * half + 1);
  const int32_t left = std::max(0, bounds.left - margin);
  const int32_t top = std::max(0, bounds.top - margin);
  const int32_t width = std::min(w, bounds.right + margin) - left;
  const int32_t height = std::min(h, bounds.bottom + margin) - top;
  if (int64_t{width} * height > kMostPixels) return InkBits::Create(w, h);
  const Frame frame{left / 8 * 8, top, left % 8 + width, height};
  const Box box{left % 8, 0, width, height};  // in the frame
  const InkBits ink = QUOREL_TRY(frame.Cut(picture_ink));
  const PixelRect inner{kEdge - frame.left, kEdge - frame.top, w - kEdge - frame.left, h - kEdge - frame.top};
  const size_t count = static_cast<size_t>(box.width) * box.height;
  Buffer<uint8_t> dark = QUOREL_TRY(Buffer<uint8_t>::Filled(count));
  for (int32_t y = 0; y < box.height; ++y) {
    std::copy_n(darkness(top + y, left, left + box.width), box.width, &dark[box.At(0, y)]);
  }
  Buffer<uint8_t> signal = QUOREL_TRY(Buffer<uint8_t>::Filled(count));
  SignalScratch scratch = QUOREL_TRY(SignalScratch::Create(box));
  // A first look sets the scale: the width of the track grown from the ink.
  SegmentSignal(box, dark, half, scratch, signal);
  double track_width = 0;
  {
    InkBits track = QUOREL_TRY(ink.Copy());
    QUOREL_TRY(GrowWithin(track, QUOREL_TRY(Over(ink, box, signal, PaperLevel(signal).least))));
    track_width = StrokeWidth(track);
  }
  half = std::clamp(static_cast<int32_t>(std::lround(track_width)), 1, kLongestHalf);
  SegmentSignal(box, dark, half, scratch, signal);
  scratch = SignalScratch{};  // its two bytes a pixel are not needed past here
  const Level level = PaperLevel(signal);
  reach = std::min(std::max(2 * reach, static_cast<int32_t>(std::lround(track_width))), kLongestHalf);
  // The rows' peaks go where the darkness was.
  const TrackCut cut = QUOREL_TRY(CutTrack(ink, box, signal, level, reach, dark));
  InkBits track = QUOREL_TRY(ink.Copy());
  for (int32_t y = 0; y < box.height; ++y) {
    for (int32_t x = 0; x < box.width; ++x) {
      if (signal[box.At(x, y)] >= level.seed && cut.allowed.Get(box.left + x, box.top + y)) {
        track.Set(box.left + x, box.top + y);
      }
    }
  }
  QUOREL_TRY(GrowWithin(track, cut.allowed));
  // Flakes: the track between them is added whole where it holds the
  // pencil's tone; the ridge rule below would take them for a stroke found.
  if (QUOREL_TRY(InFlakes(ink, track))) {
    // The darkness is read again: its buffer holds the peaks by now.
    const Buffer<uint8_t> tone = QUOREL_TRY(MeanOfNine(box, left, top, darkness));
    return frame.Put(QUOREL_TRY(BetweenFlakes(ink, box, track, inner, half, tone)), w, h);
  }
  // The darkness and the signal, no longer needed, take the counts.
  InkBits added =
      QUOREL_TRY(Unfound(ink, box, track, cut.ridge, inner, kRidgeReachPerReach * reach, dark, signal));
  QUOREL_TRY(KeepLongPieces(added, half));
  return frame.Put(added, w, h);
}

}  // namespace quorel
