// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/FaintStrokes.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/Buffer.h"
#include "image/cleanup/HistogramLevel.h"

namespace quorel {
namespace {

constexpr int32_t kLocalRadius = 6;  // a 13-pixel square: a few strokes across
constexpr int32_t kNoiseRadius = 1;  // 3 × 3
constexpr int32_t kPeakReach = 2;
// The paper's texture clumps into blots a few pixels across; writing runs:
// a piece is kept when its spread along its axis is at least the diameter
// of the square the paper's level is taken from (a straight piece's spread
// is its length / √12: 42 px or longer).
constexpr double kLongest = 2.0 * kLocalRadius;
// A sensor's outermost rows and columns are often darker: they seed nothing.
constexpr int32_t kEdge = kNoiseRadius + 1;
constexpr double kSeedSpreads = 6.0;
constexpr double kFaintSpreads = 2.5;
// The signal is kept in half darkness units from kZero (−32 … 95.5): the
// paper's noise below zero, faint ink above; darker ink was found before.
constexpr int kZero = 64;
// The 3 × 3 average, in ninths of the signal's units: kAverages values.
constexpr int kAverages = 9 * 255 + 1;
// The paper's spread is taken as at least half a darkness unit, so that a
// clean synthetic page's lone flat step is not taken for writing.
constexpr int kLeastSpread = 9;

// Each pixel's signal, row by row: darkness less the mean of the square
// around it (squares cut by the picture's edge average what lies inside).
Result<Buffer<uint8_t>> LocalSignal(int32_t w, int32_t h, const DarknessRows& darkness) {
  const int32_t side = 2 * kLocalRadius + 1;
  Buffer<uint8_t> rows = QUOREL_TRY(Buffer<uint8_t>::Filled(static_cast<size_t>(side) * w));
  Buffer<int32_t> columns = QUOREL_TRY(Buffer<int32_t>::Filled(static_cast<size_t>(w)));
  Buffer<uint8_t> signal = QUOREL_TRY(Buffer<uint8_t>::Filled(static_cast<size_t>(w) * h));
  const auto ring = [&](int32_t y) { return &rows[static_cast<size_t>(y % side) * w]; };
  for (int32_t next = 0; next < h + kLocalRadius; ++next) {
    if (next >= side && next - side < h) {
      const uint8_t* out = ring(next - side);
      for (int32_t x = 0; x < w; ++x) columns[x] -= out[x];
    }
    if (next < h) {
      uint8_t* in = ring(next);
      std::copy_n(darkness(next, 0, w), w, in);
      for (int32_t x = 0; x < w; ++x) columns[x] += in[x];
    }
    const int32_t y = next - kLocalRadius;
    if (y < 0) continue;
    const int32_t tall = std::min(h - 1, y + kLocalRadius) - std::max(0, y - kLocalRadius) + 1;
    const uint8_t* own = ring(y);
    uint8_t* out = &signal[static_cast<size_t>(y) * w];
    int64_t sum = 0;
    for (int32_t x = 0; x < std::min(kLocalRadius, w); ++x) sum += columns[x];
    for (int32_t x = 0; x < w; ++x) {
      if (x + kLocalRadius < w) sum += columns[x + kLocalRadius];
      if (x - kLocalRadius - 1 >= 0) sum -= columns[x - kLocalRadius - 1];
      const int32_t wide = std::min(w - 1, x + kLocalRadius) - std::max(0, x - kLocalRadius) + 1;
      const double mean = static_cast<double>(sum) / (static_cast<double>(tall) * wide);
      out[x] = static_cast<uint8_t>(std::clamp<long>(std::lround(2 * (own[x] - mean)) + kZero, 0, 255));
    }
  }
  return signal;
}

// The 3 × 3 average of the signal around (x, y), in ninths of its units.
int Averaged(const Buffer<uint8_t>& signal, int32_t w, int32_t h, int32_t x, int32_t y) {
  int sum = 0;
  int count = 0;
  for (int32_t yy = std::max(0, y - kNoiseRadius); yy <= std::min(h - 1, y + kNoiseRadius); ++yy) {
    const uint8_t* row = &signal[static_cast<size_t>(yy) * w];
    for (int32_t xx = std::max(0, x - kNoiseRadius); xx <= std::min(w - 1, x + kNoiseRadius); ++xx) {
      sum += row[xx];
      ++count;
    }
  }
  return (9 * sum + count / 2) / count;
}

// The same for each pixel of row y, into out[0 … w − 1]; `columns` holds w
// values.
void AveragedRow(const Buffer<uint8_t>& signal, int32_t w, int32_t h, int32_t y, int* columns, int* out) {
  const int32_t top = std::max(0, y - kNoiseRadius);
  const int32_t bottom = std::min(h - 1, y + kNoiseRadius);
  std::fill_n(columns, w, 0);
  for (int32_t yy = top; yy <= bottom; ++yy) {
    const uint8_t* row = &signal[static_cast<size_t>(yy) * w];
    for (int32_t x = 0; x < w; ++x) columns[x] += row[x];
  }
  const int tall = bottom - top + 1;
  for (int32_t x = 0; x < w; ++x) {
    const int32_t left = std::max(0, x - kNoiseRadius);
    const int32_t right = std::min(w - 1, x + kNoiseRadius);
    int sum = 0;
    for (int32_t xx = left; xx <= right; ++xx) sum += columns[xx];
    const int count = tall * (right - left + 1);
    out[x] = (9 * sum + count / 2) / count;
  }
}

// The paper's level and spread of the averages (PaperNoiseOf).
struct Spread {
  int median = 0;
  int spread = kLeastSpread;
};

Result<Spread> PaperSpread(const Buffer<uint8_t>& signal, int32_t w, int32_t h) {
  Buffer<int> rows = QUOREL_TRY(Buffer<int>::Filled(2 * static_cast<size_t>(w)));
  std::array<uint64_t, kAverages> histogram{};
  for (int32_t y = 0; y < h; ++y) {
    AveragedRow(signal, w, h, y, &rows[0], &rows[w]);
    for (int32_t x = 0; x < w; ++x) ++histogram[rows[w + x]];
  }
  const PaperNoise noise = PaperNoiseOf(histogram, static_cast<uint64_t>(w) * static_cast<uint64_t>(h));
  return Spread{noise.level, std::max(kLeastSpread, static_cast<int>(std::lround(noise.spread)))};
}

}  // namespace

Result<InkBits> FindFaintStrokes(int32_t width, int32_t height, const DarknessRows& darkness) {
  const int32_t w = width;
  const int32_t h = height;
  InkBits strokes = QUOREL_TRY(InkBits::Create(w, h));
  if (w == 0 || h == 0) return strokes;
  const Buffer<uint8_t> signal = QUOREL_TRY(LocalSignal(w, h, darkness));
  const Spread paper = QUOREL_TRY(PaperSpread(signal, w, h));
  const auto seed = static_cast<int>(std::lround(paper.median + kSeedSpreads * paper.spread));
  const auto faint = static_cast<int>(std::lround(paper.median + kFaintSpreads * paper.spread));
  InkBits allowed = QUOREL_TRY(InkBits::Create(w, h));
  Buffer<int> rows = QUOREL_TRY(Buffer<int>::Filled(2 * static_cast<size_t>(w)));
  for (int32_t y = 0; y < h; ++y) {
    AveragedRow(signal, w, h, y, &rows[0], &rows[w]);
    for (int32_t x = 0; x < w; ++x) {
      const int average = rows[w + x];
      if (average >= faint) allowed.Set(x, y);
      const bool inside = x >= kEdge && y >= kEdge && x < w - kEdge && y < h - kEdge;
      if (average >= seed && inside) strokes.Set(x, y);
    }
  }
  QUOREL_TRY(GrowWithin(strokes, allowed));
  QUOREL_TRY(KeepLongPieces(strokes, kLongest));
  // The halfway cut: a pixel's own signal against the largest average of
  // the strokes around it (both from zero: the paper's level).
  InkBits cut = QUOREL_TRY(InkBits::Create(w, h));
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      if (!strokes.Get(x, y)) continue;
      int peak = 0;
      for (int32_t yy = std::max(0, y - kPeakReach); yy <= std::min(h - 1, y + kPeakReach); ++yy) {
        for (int32_t xx = std::max(0, x - kPeakReach); xx <= std::min(w - 1, x + kPeakReach); ++xx) {
          if (strokes.Get(xx, yy)) peak = std::max(peak, Averaged(signal, w, h, xx, yy));
        }
      }
      const int own = signal[static_cast<size_t>(y) * w + x] - kZero;
      if (18 * own >= peak - 9 * kZero) cut.Set(x, y);
    }
  }
  return cut;
}

}  // namespace quorel
