// Quorel — SPDX-License-Identifier: MIT
// NOTE: nothing of picture size is kept but the one-bit ink mask: darkness is
// computed again in each pass from the picture and the paper grid, because
// fresh memory costs more here (page faults) than the few multiplications.
#include "image/cleanup/PhotoCleanup.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <new>
#include <optional>

#include "common/Buffer.h"
#include "image/DibLayout.h"
#include "image/cleanup/BeyondTheSheet.h"
#include "image/cleanup/BorderSlivers.h"
#include "image/cleanup/BoxRoundTheName.h"
#include "image/cleanup/CoveredStroke.h"
#include "image/cleanup/DarknessInLight.h"
#include "image/cleanup/DottedLines.h"
#include "image/cleanup/FaintSteps.h"
#include "image/cleanup/FaintStrokes.h"
#include "image/cleanup/FaintWords.h"
#include "image/cleanup/GrainSeeds.h"
#include "image/cleanup/GrainyTrack.h"
#include "image/cleanup/GreyPrint.h"
#include "image/cleanup/GridExtreme.h"
#include "image/cleanup/HistogramLevel.h"
#include "image/cleanup/InkBits.h"
#include "image/cleanup/InkBody.h"
#include "image/cleanup/InkHue.h"
#include "image/cleanup/InkPieces.h"
#include "image/cleanup/ObjectRims.h"
#include "image/cleanup/PaperLight.h"
#include "image/cleanup/PaperLines.h"
#include "image/cleanup/PaperSteps.h"
#include "image/cleanup/PenOverSeal.h"
#include "image/cleanup/PrintLines.h"
#include "image/cleanup/PrintOnly.h"
#include "image/cleanup/RunEndRise.h"
#include "image/cleanup/SealCells.h"
#include "image/cleanup/SegmentTrack.h"
#include "image/cleanup/ShadowRemnants.h"
#include "image/cleanup/ShadowSteps.h"
#include "image/cleanup/SignHereMark.h"
#include "image/cleanup/StainRings.h"
#include "image/cleanup/StrokeCut.h"
#include "image/cleanup/TrimMargins.h"
#include "image/cleanup/WidePieces.h"

namespace quorel {
namespace {

// Darkness against the paper, 0 (paper) to 255 (no light at all in some
// channel). Ink is at least kInkOverGrain times as dark as the paper's grain
// (its darkness at the kGrainShare quantile: most of a photo is paper), and
// never under kLeastInk.
constexpr int kLeastInk = 16;
constexpr int kMostLeastInk = 40;
constexpr double kGrainShare = 0.75;
constexpr double kInkOverGrain = 4.0;
// Hysteresis: a faint pixel joined to strong ink needs only this share of
// that floor, so a faint pencil line whose strong pixels are few and far
// apart is still followed from one to the next.
constexpr int kFaintShareNum = 3;
constexpr int kFaintShareDen = 4;
constexpr int32_t kGrainRowStep = 4;
constexpr int32_t kRiseRows = 256;
// The ink's full contrast is taken where 90 % of the darker pixels lie, and
// the ink edge halfway to it (the 50 % coverage line of a blurred stroke).
constexpr double kContrastShare = 0.90;
// A pen whose own ink (print and the paper's lines left out) reaches at most
// this share of all ink's contrast is lighter than the print beside it: its
// strong ink is set by its own contrast, and its narrow strokes are judged
// against its own darkest ink near them (NarrowStrokeCut).
constexpr double kLighterPenShare = 0.75;
// A seal is stamped at one depth, so its full contrast is its median pixel's:
// the darker tenth of it may be seal multiplied by the print under it.
constexpr double kSealContrastShare = 0.50;
constexpr int kMaxEdge = 128;  // a clean scan: exactly the halfway rule
// Ink spans 0.55–1 of the way from white to its colour, shading 0–0.45.
constexpr float kInkFloor = 0.55f;
constexpr float kShadeCeiling = 0.45f;
// The first paper estimate fills strokes up to 2 × 4 cells wide (a seal's rim
// on a photo); the second one just what the stroke width found asks for, up
// to the first's, or for a bold pen up to kBlobPerPen of its widths.
constexpr int32_t kFirstClosing = 4;
constexpr double kClosingPerPen = 3.0;
constexpr double kBlobPerPen = 2.0;
// A pixel is compared with the darkest pixel this far around: a stroke's
// core lies within about its width of any of its pixels.
constexpr double kReachPerPen = 1.0;
constexpr int32_t kLongestReach = 12;
// A narrow stroke's cut is set by the contrast the ink reaches this many
// reaches around it.
constexpr int32_t kCutReachPerReach = 4;
// The seal's light beside a pen is told from at least this many sampled pixels.
constexpr uint64_t kLeastSealSamples = 64;
// A vermilion seal's hue is looked for this many degrees either side of red
// (orange-brown to crimson): beside a pen, and first in a seal's panel.
constexpr float kRedSealReach = 30.0f;
constexpr float kAnyHue = 180.0f;  // a seal panel's seal may be of any hue
// The faint-stroke look, which keeps a byte a pixel, only up to this size.
constexpr int64_t kMostFaintLookPixels = int64_t{1} << 26;
// Colour is told from this many pixels along a row.
constexpr int32_t kHueSpan = 5;
// A piece under kPieceAreaPerPen stroke widths squared is a dot: kept within
// kDotReachPerPen stroke widths of a larger piece, dropped elsewhere.
constexpr double kPieceAreaPerPen = 4.0;
constexpr double kDotReachPerPen = 8.0;
// Ink with a square of kWidePerPen stroke widths either side of a pixel in
// it is too wide to be writing.
constexpr double kWidePerPen = 2.0;
// A hard shadow's corners left at a stroke lie within this many of the wide
// test's radii of what KeepWriting took (the shadow's band among it).
constexpr int32_t kRemnantReachPerWide = 3;
// A wide part whose edges rise over kSofterEdgePerPen times the thin
// strokes' (at least a pixel's) is a shadow, told from kLeastEdgeEnds run
// ends of each at least.
constexpr double kSofterEdgePerPen = 2.0;
constexpr uint64_t kLeastEdgeEnds = 16;
// A speck of sensor noise: a piece under kSpeckArea pixels, its runs at most
// kSpeckRun long. A pen's width measured without them counts when at least
// kNoiseWidthRatio times the width with them.
constexpr int64_t kSpeckArea = 3;
constexpr double kSpeckRun = 2.0;
constexpr double kNoiseWidthRatio = 3.0;
// Ink wholly near the paper's lines is their leftovers only where "near"
// leaves most of the picture out.
constexpr double kMostNearLines = 0.5;

struct FoundInk {
  PaperLight light;
  InkBits ink;
  int edge = kMaxEdge;  // darkness at which strong ink begins
  int least = kLeastInk;  // and faint ink
  bool desk = false;  // a large region beside the page taken for a desk by its grain
  InkHue seal{InkHue::kRed};  // the seal's hue: no pen's ink
  InkBits print;  // all that was found, a blank form's print: the fainter look leaves it out
};

float LightestChannel(const float* bgr) { return std::max(std::max(bgr[0], bgr[1]), bgr[2]); }

// Darkness of each pixel of a row already made white-paper relative.
void DarknessRow(const float* white, int32_t count, uint8_t* darkness) {
  for (int32_t x = 0; x < count; ++x) {
    const float lightest = std::min(std::min(white[3 * x], white[3 * x + 1]),
                                    std::min(white[3 * x + 2], 255.0f));
    darkness[x] = static_cast<uint8_t>(255.5f - lightest);
  }
}

// Calls visit(from, to) for each run of columns in [from, to) of row y whose
// cells may hold a pixel of darkness `least` or more.
template <class Visit>
void ForDarkRuns(const PaperLight& light, int32_t y, int least, int32_t from, int32_t to,
                 Visit visit) {
  const int32_t cell = light.cell();
  const int32_t gy = y / cell;
  const int32_t g_end = (to + cell - 1) / cell;
  for (int32_t gx = from / cell; gx < g_end;) {
    if (light.DarknessBound(gx, gy) < least) {
      ++gx;
      continue;
    }
    int32_t run_end = gx + 1;
    while (run_end < g_end && light.DarknessBound(run_end, gy) >= least) ++run_end;
    visit(std::max(from, gx * cell), std::min(to, run_end * cell));
    gx = run_end;
  }
}

// The ink's full contrast, and the darkness where strong ink begins.
struct InkContrast {
  int edge = kMaxEdge;
  int full = 0;  // none found
  // What a stroke narrower than the blur is judged against at most
  // (StrokeCut): all ink's full contrast, even where the pen's own set the
  // edge, as such a stroke never shows its ink's full darkness.
  int narrow = 0;
  bool pens_own = false;  // edge and full taken from the pen's own ink
};

InkContrast ChooseEdge(const std::array<uint32_t, 256>& histogram, int least, double share) {
  uint64_t dark = 0;
  for (int d = least; d < 256; ++d) dark += histogram[d];
  if (dark == 0) return {};
  const auto wanted = static_cast<uint64_t>(std::ceil(share * static_cast<double>(dark)));
  uint64_t seen = 0;
  for (int d = least; d < 256; ++d) {
    seen += histogram[d];
    // Strong ink stands out of the grain twice as far as faint ink.
    if (seen >= wanted) return {std::clamp((d + 1) / 2, 2 * least, kMaxEdge), d, d};
  }
  return {};
}

// The least darkness of ink in this picture, from its paper's grain: every
// kGrainRowStep-th row's darkness.
int LeastInk(const ConstDibRows& in, PaperLight& light, Buffer<float>& white, Buffer<uint8_t>& darkness) {
  std::array<uint64_t, 256> histogram{};
  uint64_t total = 0;
  for (int32_t y = 0; y < in.height(); y += kGrainRowStep) {
    light.WhiteRow(y, in.TopDownRow(y).data(), 0, in.width(), white.data());
    DarknessRow(white.data(), in.width(), darkness.data());
    for (int32_t x = 0; x < in.width(); ++x) ++histogram[darkness[x]];
    total += static_cast<uint64_t>(in.width());
  }
  uint64_t seen = 0;
  int grain = 0;
  while (grain < 255 && (seen += histogram[grain]) < kGrainShare * static_cast<double>(total)) ++grain;
  return std::clamp(static_cast<int>(std::lround(kInkOverGrain * grain)), kLeastInk, kMostLeastInk);
}

// The ink a panel takes: for a seal, ink of the seal's hue (found in the
// picture, red without one); for a pen, any but a red seal's.
struct InkChoice {
  InkWanted wanted;
  InkHue seal{InkHue::kRed};
  // For a pen: the seal's typical lightest channel (white-relative), where
  // another ink over or under it is darker (PenOverSeal); 0 for none.
  float seal_light = 0;

  bool Wants(const float* bgr) const {
    switch (wanted) {
      case InkWanted::kPen: return !seal.Holds(bgr);
      case InkWanted::kSeal: return seal.Holds(bgr);
      case InkWanted::kAny:
      case InkWanted::kWriting: break;
    }
    return true;
  }
};

// Whether the picture is a signature's, whatever hues it keeps: what is no
// writing (a form's print, a hard shadow's runs in the pen's width) goes.
bool IsWriting(InkWanted wanted) { return wanted == InkWanted::kPen || wanted == InkWanted::kWriting; }

// How far beside a faint piece lighter paper is looked for, to tell a stroke
// from a step in the paper's light: two stroke widths, bounded.
int32_t StepSides(double stroke) {
  return std::clamp(static_cast<int32_t>(std::ceil(2 * stroke)), 2, 2 * kLongestReach);
}

// The mean colour of the kHueSpan pixels around place i of a row of n.
void MeanAlongRow(const float* white, int32_t n, int32_t i, float* mean) {
  const int32_t first = std::max(0, i - kHueSpan / 2);
  const int32_t last = std::min(n - 1, i + kHueSpan / 2);
  mean[0] = mean[1] = mean[2] = 0;
  for (int32_t j = first; j <= last; ++j) {
    for (int c = 0; c < 3; ++c) mean[c] += std::min(white[3 * j + c], 255.0f);
  }
  for (int c = 0; c < 3; ++c) mean[c] /= static_cast<float>(last - first + 1);
}

// The grid nodes of the paper light where ink's colour is not told: beyond
// the sheet's edge, and over objects beside it (a desk's grain reads as ink
// of every hue, a wooden one's as a seal's, and either outnumbered a small
// seal's).
struct OffTheSheet {
  Buffer<uint8_t> nodes;  // one a grid node; empty: none
  int32_t cell = 1;
  int32_t grid_width = 0;
  int32_t grid_height = 0;

  static Result<OffTheSheet> Find(const PaperLight& light) {
    OffTheSheet off{QUOREL_TRY(NodesBeyondTheSheet(light)), light.cell(), light.grid_width(), light.grid_height()};
    if (off.nodes.size() == 0) {
      off.nodes = QUOREL_TRY(Buffer<uint8_t>::Filled(static_cast<size_t>(off.grid_width) * off.grid_height));
    }
    QUOREL_TRY(MarkObjectNodes(light, off.nodes));
    return off;
  }
  bool Holds(int32_t x, int32_t y) const {
    return nodes.size() != 0 && nodes[static_cast<size_t>(std::min(y / cell, grid_height - 1)) * grid_width +
                                      std::min(x / cell, grid_width - 1)] != 0;
  }
};

// Calls visit(row, n, i) for each pixel i of the ink sampled on every
// kGrainRowStep-th row: at least twice as dark as faint ink, not `off` the
// sheet; `row` is its run of n pixels made white-paper relative.
template <class Visit>
void ForSampledInk(const ConstDibRows& in, PaperLight& light, int least, const OffTheSheet& off, Buffer<float>& white,
                   Buffer<uint8_t>& darkness, Visit visit) {
  for (int32_t y = 0; y < in.height(); y += kGrainRowStep) {
    ForDarkRuns(light, y, 2 * least, 0, in.width(), [&](int32_t from, int32_t to) {
      light.WhiteRow(y, in.TopDownRow(y).data(), from, to, white.data());
      DarknessRow(white.data(), to - from, darkness.data());
      for (int32_t i = 0; i < to - from; ++i) {
        if (darkness[i] >= 2 * least && !off.Holds(from + i, y)) {
          visit(static_cast<const float*>(white.data()), to - from, i);
        }
      }
    });
  }
}

// The hues of coloured ink, for the seal's: every kGrainRowStep-th row's
// pixels at least twice as dark as faint ink. Each pixel's colour is the mean
// of kHueSpan pixels along its row: the colour fringes of black print in a
// camera's picture (orange beside cyan, from its colour mosaic) average to
// grey, a seal's colour stays.
HueTally InkHues(const ConstDibRows& in, PaperLight& light, int least, const OffTheSheet& off, Buffer<float>& white,
                 Buffer<uint8_t>& darkness) {
  HueTally tally;
  ForSampledInk(in, light, least, off, white, darkness, [&](const float* row, int32_t n, int32_t i) {
    float mean[3];
    MeanAlongRow(row, n, i, mean);
    tally.Add(mean);
  });
  return tally;
}

// For a pen: the seal's median lightest channel (every kGrainRowStep-th
// row, pixels at least twice as dark as faint ink); 0 without a seal.
float SealLight(const ConstDibRows& in, PaperLight& light, const InkHue& seal, int least, const OffTheSheet& off,
                Buffer<float>& white, Buffer<uint8_t>& darkness) {
  std::array<uint32_t, 256> histogram{};
  uint64_t count = 0;
  ForSampledInk(in, light, least, off, white, darkness, [&](const float* row, int32_t, int32_t i) {
    if (!seal.Holds(&row[3 * i])) return;
    ++histogram[static_cast<size_t>(std::min(255.0f, LightestChannel(&row[3 * i])))];
    ++count;
  });
  if (count < kLeastSealSamples) return 0;
  return static_cast<float>(MedianOf(histogram, count));
}

// One look at the picture against `light`: the edge from the darkness
// histogram; then faint ink, a pixel at least the halfway cut of the darkest
// pixel within `reach` (HalfwayCuts: the halfway rule at the scale of a
// stroke, so a thin or faint stroke is cut at its own 50 % line) and at least
// the faint floor (a share of `least`), and strong ink, faint ink at least
// as dark as the edge. Beside a stroke as narrow as the blur, whose peak the
// blur kept under the ink's contrast, the cut lies nearer the peak
// (StrokeCut). Paper lines removed from both. Memory: 2 × reach + 1 rows of
// darkness.
struct Masks {
  InkBits strong;
  InkBits faint;
  int edge;
  InkBits other;  // for a seal: ink of another hue (print under it); else empty
  GrainSeeds seeds{};
};

// The wanted ink's contrast, from its histogram; with `pen_ink` (not empty),
// the pen's own where it is clearly lighter than all ink's (a light pen on a
// form whose print and lines are black would otherwise have hardly a strong
// pixel). Each pixel of the wanted ink is noted in `cut`, if given, and each
// of the pen's own in `pen_cut`.
InkContrast StrongEdge(const ConstDibRows& in, PaperLight& light, const InkChoice& choice, int least,
                       Buffer<float>& white, Buffer<uint8_t>& darkness, StrokeCut* cut = nullptr,
                       const InkBits& pen_ink = {}, StrokeCut* pen_cut = nullptr) {
  std::array<uint32_t, 256> histogram{};
  std::array<uint32_t, 256> pen_histogram{};
  const bool pen_apart = pen_ink.width() > 0;
  for (int32_t y = 0; y < in.height(); ++y) {
    ForDarkRuns(light, y, least, 0, in.width(), [&](int32_t from, int32_t to) {
      light.WhiteRow(y, in.TopDownRow(y).data(), from, to, white.data());
      DarknessRow(white.data(), to - from, darkness.data());
      uint8_t* squares = cut != nullptr ? cut->Squares(y) : nullptr;
      for (int32_t i = 0; i < to - from; ++i) {
        if (darkness[i] < least || !choice.Wants(&white[3 * i])) continue;
        ++histogram[darkness[i]];
        if (pen_apart && pen_ink.Get(from + i, y)) {
          ++pen_histogram[darkness[i]];
          if (pen_cut != nullptr) pen_cut->Note(pen_cut->Squares(y), from + i, darkness[i]);
        }
        if (squares != nullptr) cut->Note(squares, from + i, darkness[i]);
      }
    });
  }
  const double share = choice.wanted == InkWanted::kSeal ? kSealContrastShare : kContrastShare;
  const InkContrast all = ChooseEdge(histogram, least, share);
  if (!pen_apart) return all;
  InkContrast pen = ChooseEdge(pen_histogram, least, share);
  if (pen.full == 0 || pen.full > kLighterPenShare * all.full) return all;
  pen.narrow = all.full;
  pen.pens_own = true;
  return pen;
}

// A first look, for the stroke width: strong ink without paper lines. The
// lines are looked for in all ink of any hue, where they run unbroken.
// `other` (when not empty) gets the ink of other hues.
Result<InkBits> StrongInk(const ConstDibRows& in, PaperLight& light, const InkChoice& choice, int least,
                          PaperLines& lines, Buffer<float>& white, Buffer<uint8_t>& darkness, InkBits& other) {
  const int edge = StrongEdge(in, light, choice, least, white, darkness).edge;
  const int low = std::max(least, edge / 2);
  InkBits strong = QUOREL_TRY(InkBits::Create(in.width(), in.height()));
  InkBits any = QUOREL_TRY(InkBits::Create(in.width(), in.height()));
  for (int32_t y = 0; y < in.height(); ++y) {
    ForDarkRuns(light, y, low, 0, in.width(), [&](int32_t from, int32_t to) {
      light.WhiteRow(y, in.TopDownRow(y).data(), from, to, white.data());
      DarknessRow(white.data(), to - from, darkness.data());
      for (int32_t i = 0; i < to - from; ++i) {
        if (darkness[i] < low) continue;
        any.Set(from + i, y);
        if (darkness[i] >= edge && choice.Wants(&white[3 * i])) strong.Set(from + i, y);
        else if (other.width() > 0 && !choice.Wants(&white[3 * i])) other.Set(from + i, y);
      }
    });
  }
  lines = QUOREL_TRY(PaperLines::Find(any, true, IsWriting(choice.wanted)));
  // A square seal's frame is the seal's, not a line of the paper.
  if (choice.wanted == InkWanted::kSeal) lines = lines.NotMostlyOf(any, strong);
  QUOREL_TRY(lines.Clear(strong, strong));
  return strong;
}

// The ink's contrast, and the cut of strokes narrower than the blur: against
// the darkest ink near a stroke, or, beside a pen lighter than the print, the
// darkest of the pen's own (not the print's or a line's beside it: a thin
// light stroke near them read as a blurred black one and was cut near its
// peak).
Result<StrokeCut> NarrowStrokeCut(const ConstDibRows& in, PaperLight& light, const InkChoice& choice, int least,
                                  const InkBits& pen_ink, int32_t reach, Buffer<float>& white,
                                  Buffer<uint8_t>& darkness, InkContrast& contrast) {
  StrokeCut cut = QUOREL_TRY(StrokeCut::Create(in.width(), in.height(), light.cell()));
  if (pen_ink.width() == 0) {
    contrast = StrongEdge(in, light, choice, least, white, darkness, &cut);
  } else {
    StrokeCut pen_cut = QUOREL_TRY(StrokeCut::Create(in.width(), in.height(), light.cell()));
    contrast = StrongEdge(in, light, choice, least, white, darkness, &cut, pen_ink, &pen_cut);
    if (contrast.pens_own) cut = std::move(pen_cut);
  }
  QUOREL_TRY(cut.Spread(contrast.narrow, kCutReachPerReach * reach));
  return cut;
}

// The rise of the ink's edges, on kRiseRows rows or every kGrainRowStep-th.
EdgeRise BlurRise(const ConstDibRows& in, PaperLight& light, int contrast, Buffer<float>& white,
                  Buffer<uint8_t>& darkness) {
  EdgeRise rise(contrast);
  const int32_t step = std::max(kGrainRowStep, in.height() / kRiseRows);
  for (int32_t y = 0; y < in.height(); y += step) {
    ForDarkRuns(light, y, std::max(1, contrast / 4), 0, in.width(), [&](int32_t from, int32_t to) {
      light.WhiteRow(y, in.TopDownRow(y).data(), from, to, white.data());
      DarknessRow(white.data(), to - from, darkness.data());
      rise.AddRow(darkness.data(), to - from);
    });
  }
  return rise;
}

// Whether the pixel (x, y) lies in the blur beside a narrow stroke; `rows`
// are rows top … bottom of darkness. NOTE: out of line, as it is seldom
// asked: inlined, it slows Look's loop over every pixel.
[[gnu::noinline]] bool NarrowBlur(const StrokeCut& cut, const uint16_t* const* rows, int32_t x, int32_t y, int32_t w,
                                  int32_t h, int32_t top, int32_t bottom, int own, int peak, int32_t narrow_run) {
  return cut.Outside(x, y, own, peak) &&
         NarrowAt([&](int32_t px, int32_t py) { return rows[py - top][px]; }, x, y, w, h, top, bottom, peak,
                  narrow_run);
}

// NOTE: kept out of line: inlined into FindInk, its per-pixel loop compiles
// to about a quarter more instructions (GCC 12, -O3; measured with callgrind).
[[gnu::noinline]]
Result<Masks> Look(const ConstDibRows& in, PaperLight& light, const InkChoice& choice, const PaperLines& lines,
                   const PaperSteps& steps, int least, int32_t reach, Buffer<float>& white,
                   Buffer<uint8_t>& darkness, const InkBits& pen_ink) {
  const int32_t w = in.width();
  const int32_t h = in.height();
  InkContrast contrast;
  const StrokeCut cut =
      QUOREL_TRY(NarrowStrokeCut(in, light, choice, least, pen_ink, reach, white, darkness, contrast));
  const int32_t narrow_run = BlurRise(in, light, contrast.narrow, white, darkness).NarrowRun();
  Masks masks{QUOREL_TRY(InkBits::Create(w, h)), QUOREL_TRY(InkBits::Create(w, h)), contrast.edge,
              QUOREL_TRY(choice.wanted == InkWanted::kSeal ? InkBits::Create(w, h) : InkBits::Create(0, 0))};
  masks.seeds = QUOREL_TRY(GrainSeeds::For(w, h, least >= kMostLeastInk, masks.edge));
  // Rows y − lag … y + lag: each pixel's darkness (0 under `least`, other
  // ink's darkness + 256), and the darkest of any ink and of the wanted ink
  // within reach along the row.
  const int32_t side = PaperSteps::Side(reach);
  const int32_t lag = std::max(reach, side);
  const int32_t span = 2 * lag + 1;
  Buffer<uint16_t> ring = QUOREL_TRY(Buffer<uint16_t>::Filled(static_cast<size_t>(span) * w));
  Buffer<uint8_t> ring_any = QUOREL_TRY(Buffer<uint8_t>::Filled(ring.size()));
  Buffer<uint8_t> ring_wanted = QUOREL_TRY(Buffer<uint8_t>::Filled(ring.size()));
  RunningMax running = QUOREL_TRY(RunningMax::Create(w, reach));
  PenOverSeal over_seal = QUOREL_TRY(PenOverSeal::Create(w, span, reach, choice.seal_light));
  const auto slot = [&](int32_t y) { return static_cast<size_t>(y % span) * w; };
  // Only for ink close to the grain (strong ink's edge at its floor): where
  // the ink stands well out of it, the floor stays, and so does the cost.
  const int faint_least =
      masks.edge > 2 * least ? least : std::max(1, least * kFaintShareNum / kFaintShareDen);
  // A seal is stamped at one depth: wanted ink darker than its full contrast
  // (twice the edge) is the seal multiplied by print over or under it, and
  // must not lift the halfway cut of the seal's own pixels beside it.
  const int cap = choice.wanted == InkWanted::kSeal ? 2 * masks.edge : 255;
  const std::array<uint8_t, 256>& halfway = HalfwayCuts();
  // Seal under print is told by its colour where it stands out of the grain.
  const float grain = static_cast<float>(least) / static_cast<float>(kInkOverGrain);
  for (int32_t next = 0; next < h + lag; ++next) {
    if (next < h) {
      uint16_t* d = &ring[slot(next)];
      std::fill_n(d, w, uint16_t{0});
      bool dark = false;
      uint8_t* drops = over_seal.active() ? over_seal.Start(next) : nullptr;
      // NOTE: the cells looked at are those with a pixel of `least`; within
      // them a pixel down to the faint floor counts.
      ForDarkRuns(light, next, least, 0, w, [&](int32_t from, int32_t to) {
        light.WhiteRow(next, in.TopDownRow(next).data(), from, to, white.data());
        DarknessRow(white.data(), to - from, darkness.data());
        for (int32_t i = 0; i < to - from; ++i) {
          if (darkness[i] < faint_least) continue;
          const bool wants = choice.Wants(&white[3 * i]);
          d[from + i] = static_cast<uint16_t>(darkness[i] + (wants ? 0 : 256));
          if (drops != nullptr && !wants) over_seal.Note(drops, from + i, LightestChannel(&white[3 * i]));
          // Seal times print: free to join the seal's strokes, as faint ink.
          if (!wants && choice.wanted == InkWanted::kSeal && choice.seal.MayHoldUnderPrint(&white[3 * i], grain)) {
            float mean[3];
            MeanAlongRow(white.data(), to - from, i, mean);
            if (choice.seal.HoldsUnderPrint(mean, grain)) masks.faint.Set(from + i, next);
          }
          dark = true;
        }
      });
      if (drops != nullptr) over_seal.Finish(next);
      uint8_t* any_row = &ring_any[slot(next)];
      uint8_t* wanted_row = &ring_wanted[slot(next)];
      if (!dark) {
        std::fill_n(any_row, w, uint8_t{0});
        std::fill_n(wanted_row, w, uint8_t{0});
      } else {
        running.Run([&](int32_t x) { return static_cast<uint8_t>(d[x] & 255); }, any_row);
        running.Run([&](int32_t x) { return static_cast<uint8_t>(d[x] < 256 ? std::min<int>(d[x], cap) : 0); },
                    wanted_row);
      }
    }
    const int32_t y = next - lag;
    if (y < 0) continue;
    const auto darkness_at = [&](int32_t xx, int32_t yy) -> int {
      return xx < 0 || yy < 0 || xx >= w || yy >= h ? -1 : ring[slot(yy) + xx] & 255;
    };
    const uint16_t* d = &ring[slot(y)];
    const int32_t top = std::max(0, y - reach);
    const int32_t bottom = std::min(h - 1, y + reach);
    std::array<const uint16_t*, 2 * kLongestReach + 1> known{};  // rows top … bottom
    for (int32_t yy = top; yy <= bottom; ++yy) known[yy - top] = &ring[slot(yy)];
    for (int32_t x = 0; x < w; ++x) {
      if (d[x] == 0) continue;
      const int own = d[x] & 255;
      int peak = 0;         // of any ink
      int peak_wanted = 0;  // of the ink wanted
      for (int32_t yy = top; yy <= bottom; ++yy) {
        peak = std::max<int>(peak, ring_any[slot(yy) + x]);
        peak_wanted = std::max<int>(peak_wanted, ring_wanted[slot(yy) + x]);
        if (peak > 2 * own && own < halfway[peak_wanted]) break;  // too light beside both: settled
      }
      if (2 * own >= peak && d[x] > 255 && choice.wanted == InkWanted::kSeal) masks.other.Set(x, y);
      // Pen over the seal: free to join the pen's strokes, as faint ink.
      if (d[x] > 255 && over_seal.active() && over_seal.Holds(x, y, top, bottom)) masks.faint.Set(x, y);
      if (d[x] > 255 || own < halfway[peak_wanted]) continue;  // not the hue wanted, or not dark enough
      if (cut.MayCut(own, peak_wanted) && NarrowBlur(cut, known.data(), x, y, w, h, top, bottom, own, peak_wanted,
                                                     narrow_run)) {
        continue;
      }
      if (steps.Near(x, y) && !PaperSteps::AcrossStroke(light, x, y, own, side, darkness_at)) continue;  // a step
      masks.faint.Set(x, y);
      if (own >= masks.edge) {
        masks.strong.Set(x, y);
        masks.seeds.Mark(x, y, own);
      }
    }
  }
  QUOREL_TRY(lines.Clear(masks.faint, masks.strong));
  return masks;
}

// What is not writing taken out of the ink: a hard shadow or a stain joined
// to the strokes (both widths, as lines left over can make the second one
// small; not for a seal: its ink is of its hue, and a seal may be a solid
// field with its characters cut out), a form's printed lines, a cup's stain,
// a dotted signing line and an object lying on the page (a clip; after the
// print, whose rows a bold printed × among them helps tell) beside a
// signature, slivers along the picture's border (for a seal too: a wooden
// desk beyond the sheet's edge has a seal's hue), and specks.
Result<void> KeepWriting(InkBits& ink, double pen, double stroke, InkWanted wanted) {
  const double widest = kWidePerPen * std::max(pen, stroke);
  if (wanted != InkWanted::kSeal) QUOREL_TRY(RemoveWide(ink, static_cast<int32_t>(std::ceil(widest))));
  if (IsWriting(wanted)) {
    QUOREL_TRY(RemovePrintLines(ink, stroke));
    QUOREL_TRY(RemoveStainRings(ink, stroke));
    QUOREL_TRY(RemoveDottedLines(ink, stroke));
    QUOREL_TRY(RemoveWidePieces(ink, std::max(pen, stroke)));
  }
  QUOREL_TRY(ClearBorderSlivers(ink, stroke, wanted != InkWanted::kSeal));
  QUOREL_TRY(RemoveSpecks(ink, static_cast<int64_t>(stroke * stroke / 2),
                          static_cast<int64_t>(kPieceAreaPerPen * stroke * stroke),
                          static_cast<int32_t>(kDotReachPerPen * stroke)));
  // A lone blot or specks apart (dots by their own width, with no writing to
  // belong to) are no signature; the ink's own stroke width, measured on
  // them, let them pass as pieces. (Not for a seal: it may be one solid
  // field.) Nothing wider than `side` is left, so a larger piece is no dot.
  if (wanted != InkWanted::kSeal) {
    const double side = 2 * std::ceil(widest) + 1;
    if (QUOREL_TRY(ScatteredDots(ink, kPieceAreaPerPen, static_cast<int64_t>(kPieceAreaPerPen * side * side)))) {
      ink = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
    }
  }
  return {};
}

// Calls visit(x, y, darkness) for each pixel of `ink`, darkness being its
// row's darkness against the local paper.
template <class Visit>
void ForEachInkPixel(const InkBits& ink, const ConstDibRows& in, PaperLight& light, Buffer<float>& white,
                     Buffer<uint8_t>& darkness, Visit visit) {
  for (int32_t y = 0; y < in.height(); ++y) {
    if (!ink.RowHasInk(y)) continue;
    light.WhiteRow(y, in.TopDownRow(y).data(), 0, in.width(), white.data());
    DarknessRow(white.data(), in.width(), darkness.data());
    for (int32_t x = 0; x < in.width(); ++x) {
      if (ink.Get(x, y)) visit(x, y, darkness.data());
    }
  }
}

// Calls visit(x, y, darkness, mean) for each pixel of `ink` dark enough to
// show a hue (InkColours::kShowsHue), on every `step`-th row of the box round
// it, each row read across the box only; `mean` is the mean colour of
// kHueSpan pixels along the row.
template <class Visit>
void ForEachShowingPixel(const InkBits& ink, int32_t step, const ConstDibRows& in, PaperLight& light,
                         Buffer<float>& white, Buffer<uint8_t>& darkness, Visit visit) {
  const PixelRect box = InkBounds(ink);
  const int32_t from = std::max(0, box.left - kHueSpan / 2);
  const int32_t to = std::min(in.width(), box.right + kHueSpan / 2);
  for (int32_t y = box.top; y < box.bottom; y += step) {
    if (!ink.RowHasInk(y)) continue;
    light.WhiteRow(y, in.TopDownRow(y).data(), from, to, white.data());
    DarknessRow(white.data(), to - from, darkness.data());
    for (int32_t x = box.left; x < box.right; ++x) {
      const int own = darkness[x - from];
      if (!ink.Get(x, y) || own < InkColours::kShowsHue) continue;
      float mean[3];
      MeanAlongRow(white.data(), to - from, x - from, mean);
      visit(x, y, own, mean);
    }
  }
}

// A form's print beside a coloured pen: grey (GreyPrint.h). Every
// kGrainRowStep-th row is looked at first: a black pen's writing, the most
// common, is then not read whole.
Result<void> RemoveGreyPrintBesidePen(InkBits& ink, double stroke, const ConstDibRows& in, PaperLight& light,
                                      int least, Buffer<float>& white, Buffer<uint8_t>& darkness) {
  size_t showing = 0;
  size_t coloured = 0;
  ForEachShowingPixel(ink, kGrainRowStep, in, light, white, darkness, [&](int32_t, int32_t, int, const float* mean) {
    ++showing;
    coloured += InkColours::Coloured(mean, least);
  });
  if (showing == 0 || static_cast<double>(coloured) < kLeastColouredShare * static_cast<double>(showing)) return {};
  InkColours colours = QUOREL_TRY(InkColours::Create(ink, least));
  ForEachShowingPixel(ink, 1, in, light, white, darkness,
                      [&](int32_t x, int32_t y, int own, const float* mean) { colours.Note(x, y, own, mean); });
  return RemoveGreyPrint(ink, colours, stroke);
}

// Whether the ink's wide part (strong, not thin) has edges at least
// kSofterEdgePerPen times as soft as the thin part's: a shadow darker than
// a light pen, cast from high enough for a half-shadow, is told by that. The
// levels are each part's typical darkness; too few ends tell nothing.
bool SofterEdged(const InkBits& strong, const InkBits& thin, std::array<int, 2> levels, const ConstDibRows& in,
                 PaperLight& light, Buffer<float>& white, Buffer<uint8_t>& darkness) {
  std::array<RunEndRise, 2> rises{RunEndRise(levels[0]), RunEndRise(levels[1])};
  ForEachInkPixel(strong, in, light, white, darkness, [&](int32_t x, int32_t y, const uint8_t* row) {
    for (const int out : {-1, 1}) {
      const int32_t next = x + out;
      if (next >= 0 && next < in.width() && !strong.Get(next, y)) {
        rises[thin.Get(x, y) ? 0 : 1].AddEnd(row, in.width(), x, out);
      }
    }
  });
  if (rises[0].count() < kLeastEdgeEnds || rises[1].count() < kLeastEdgeEnds) return false;
  return rises[1].Median() >= kSofterEdgePerPen * std::max(1.0, rises[0].Median());
}

// The pen's width: the first look's typical run (StrokeWidth). Sensor noise
// heavy enough to leave thousands of specks among the ink may outnumber a
// bold pen's runs, and the typical run is then a speck's (a marker measured
// 1 px wide, and then cleared as far too wide for that). Measured again
// without pieces under kSpeckArea pixels, a width kNoiseWidthRatio times
// wider or more is the pen's; a pencil's flakes or a thin pen's broken
// strokes move it by a pixel and keep the first.
Result<double> PenWidthOverNoise(const InkBits& strong) {
  const double width = StrokeWidth(strong);
  if (width > kSpeckRun) return width;  // no speck's
  InkBits pieces = QUOREL_TRY(strong.Copy());
  QUOREL_TRY(RemoveSpecks(pieces, kSpeckArea));
  const double without = StrokeWidth(pieces);
  return without >= kNoiseWidthRatio * width ? without : width;
}

// The pen's width when the first look's ink holds a hard shadow (a
// finger's, a pen's held over the page) narrower than that look's paper
// closing. Parts wider than kWidePerPen of the thinner strokes (the runs'
// lower quartile) are a shadow when lighter than the strokes' cores (a
// marker's wide strokes are as dark as its thin ones; a shadow only dims the
// paper), and the pen is measured without them: with the shadow's runs in
// it, the wide test, at twice the pen, lets a shadow a few pens wide pass.
// The paper's closing keeps to the first look's width, unless the shadow's
// runs, long and many, made that width the shadow's (over kWidePerPen of
// the thinner strokes). A shadow lighter than the cores is cut from them
// halfway (`shadow_cut`; 0 for none).
struct PenWidth {
  double pen;
  double closing_pen;
  bool beside_shadow = false;
  int shadow_cut = 0;
};

Result<PenWidth> PenBesideShadows(const InkBits& strong, double pen, const ConstDibRows& in, PaperLight& light,
                                  Buffer<float>& white, Buffer<uint8_t>& darkness) {
  const double wide = kWidePerPen * StrokeWidth(strong, 0.25);
  InkBits thin = QUOREL_TRY(strong.Copy());
  QUOREL_TRY(RemoveWide(thin, static_cast<int32_t>(std::ceil(wide / 2))));
  if (SameInk(thin, strong)) return PenWidth{pen, pen};  // no wide part: nothing to weigh
  std::array<std::array<uint64_t, 256>, 2> histograms{};  // darkness of the thin and the wide parts
  std::array<uint64_t, 2> counts{};
  ForEachInkPixel(strong, in, light, white, darkness, [&](int32_t x, int32_t y, const uint8_t* row) {
    const int part = thin.Get(x, y) ? 0 : 1;
    ++histograms[part][row[x]];
    ++counts[part];
  });
  if (counts[0] == 0 || counts[1] == 0) return PenWidth{pen, pen};
  // The wide part's typical darkness against the strokes' cores (their
  // darker quarter): under two thirds as dark, it is a shadow.
  const int shadow = QuantileOf(histograms[1], counts[1], 0.5);
  const int cores = QuantileOf(histograms[0], counts[0], 0.75);
  if (3 * shadow > 2 * cores && !SofterEdged(strong, thin, {cores, shadow}, in, light, white, darkness)) {
    return PenWidth{pen, pen};
  }
  const double thin_pen = StrokeWidth(thin);
  return PenWidth{thin_pen, wide < pen ? thin_pen : pen, true, 3 * shadow > 2 * cores ? 0 : (shadow + cores) / 2};
}

// Whether all the ink lies within a stroke of the paper's lines: what their
// clearing left of them (where their ink ran a little wider than the band
// found) is no writing. Where that reaches most of the picture (rules closer
// than two strokes: a seal's wide strokes on ruled paper) it tells nothing.
Result<bool> OnlyLinesLeft(const InkBits& ink, double stroke, std::initializer_list<const PaperLines*> lines) {
  if (std::all_of(lines.begin(), lines.end(), [](const PaperLines* l) { return l->empty(); })) return false;
  const auto reach = static_cast<int32_t>(std::ceil(stroke));
  double near = 0;
  for (const PaperLines* l : lines) near += l->NearShare(reach, ink.width(), ink.height());
  if (near > kMostNearLines) return false;
  InkBits rest = QUOREL_TRY(ink.Copy());
  for (const PaperLines* l : lines) l->ClearNear(rest, reach);
  return InkBounds(rest).right == 0;
}

// Where the pen's own ink may lie on a sheet with lines (a form's signing
// line and box): all but the paper's lines and the print the first look
// shows (rows of glyphs, and a printed × on the signing line, as dark as
// the print and often bolder than the pen), each grown by a pen's width.
// Empty (all ink may be the pen's) without lines: print is looked for only
// beside them, as the look added a seventh to a 12-megapixel photo's
// instructions and, on the photos measured, made a difference only there.
Result<InkBits> BesidePrintAndLines(const InkBits& strong, double pen, const PaperLines& lines) {
  if (lines.empty()) return InkBits{};
  InkBits print = QUOREL_TRY(strong.Copy());
  {
    InkBits writing = QUOREL_TRY(strong.Copy());
    QUOREL_TRY(RemovePrintLines(writing, pen));
    QUOREL_TRY(RemoveSignHereMarks(writing, lines));
    Subtract(print, writing);
  }
  const auto margin = static_cast<int32_t>(std::ceil(pen));
  InkBits ink = QUOREL_TRY(InkBits::Create(strong.width(), strong.height()));
  for (int32_t y = 0; y < ink.height(); ++y) std::fill_n(ink.MutableRow(y), ink.stride(), uint8_t{0xFF});
  Subtract(ink, QUOREL_TRY(Grown(print, margin)));
  lines.ClearNear(ink, margin, true);
  return ink;
}

// Nothing found: an empty mask over the picture.
Result<FoundInk> NoInk(PaperLight light, const ConstDibRows& in, int least, InkHue seal, bool desk = false) {
  return FoundInk{std::move(light), QUOREL_TRY(InkBits::Create(in.width(), in.height())), kMaxEdge, least, desk, seal, {}};
}

Result<FoundInk> FindInk(const ConstDibRows& in, InkWanted wanted) {
  const int32_t w = in.width();
  Buffer<float> white = QUOREL_TRY(Buffer<float>::Filled(size_t{3} * static_cast<size_t>(w)));
  Buffer<uint8_t> darkness = QUOREL_TRY(Buffer<uint8_t>::Filled(static_cast<size_t>(w)));
  PaperLight light = QUOREL_TRY(PaperLight::Estimate(in, kFirstClosing));
  const int least = LeastInk(in, light, white, darkness);
  // The paper's closing and the stroke's reach set by the stroke width, so
  // that a dark area wider than the strokes (a finger's shadow) is paper,
  // and a thin stroke is cut at its own halfway line.
  InkChoice choice{wanted};
  const bool hues_wanted = wanted == InkWanted::kSeal || wanted == InkWanted::kPen;
  const OffTheSheet off = QUOREL_TRY(hues_wanted ? OffTheSheet::Find(light) : OffTheSheet{});
  if (wanted == InkWanted::kSeal) {
    // A vermilion seal the picture shows is the seal, however much ink of
    // another hue lies beside it (a sheet's blue rules); failing that, the
    // hue most coloured ink shares (a blue or violet stamp).
    const HueTally hues = InkHues(in, light, least, off, white, darkness);
    const auto red = hues.DominantWithin(InkHue::kRed, kRedSealReach);
    choice.seal = red ? *red : hues.DominantWithin(InkHue::kRed, kAnyHue).value_or(choice.seal);
  }
  // A pen may be of any colour: only a reddish seal is not the pen's.
  if (wanted == InkWanted::kPen) {
    const HueTally hues = InkHues(in, light, least, off, white, darkness);
    if (const auto seal = hues.DominantWithin(InkHue::kRed, kRedSealReach)) {
      choice.seal = *seal;
      choice.seal_light = SealLight(in, light, choice.seal, least, off, white, darkness);
    }
  }
  PaperLines lines;
  InkBits pen_ink;  // empty: all ink may be the pen's
  double pen = 0;
  double closing_pen = 0;
  bool beside_shadow = false;
  int shadow_cut = 0;
  {
    // A seal's strokes are measured where the print does not cut them short.
    InkBits print = QUOREL_TRY(InkBits::Create(wanted == InkWanted::kSeal ? w : 0, in.height()));
    InkBits strong = QUOREL_TRY(StrongInk(in, light, choice, least, lines, white, darkness, print));
    // A dark desk's grain beyond the sheet's edge is no ink to measure the
    // pen by: a scanner's black lid over half the picture left its noise
    // as thousands of specks, the pen was measured a pixel wide among them,
    // and the name went as far too wide for it.
    QUOREL_TRY(RemoveInkBeyondTheSheet(strong, light));
    pen = wanted == InkWanted::kSeal ? StrokeWidthBeside(strong, print) : QUOREL_TRY(PenWidthOverNoise(strong));
    // A desk's strip along the picture's edge narrower than the paper's
    // closing reads as ink, and a thin pen measured with it came out as wide
    // as the strip (16 px): the name then went as no writing. Measured again
    // without the slivers along the border the first width tells of.
    if (wanted != InkWanted::kSeal && pen > 0) {
      InkBits inner = QUOREL_TRY(strong.Copy());
      if (QUOREL_TRY(ClearBorderSlivers(inner, pen, true))) pen = QUOREL_TRY(PenWidthOverNoise(inner));
    }
    closing_pen = pen;
    if (IsWriting(wanted) && pen > 0) pen_ink = QUOREL_TRY(BesidePrintAndLines(strong, pen, lines));
    if (IsWriting(wanted)) {
      const PenWidth width = QUOREL_TRY(PenBesideShadows(strong, pen, in, light, white, darkness));
      pen = width.pen;
      closing_pen = width.closing_pen;
      beside_shadow = width.beside_shadow;
      shadow_cut = width.shadow_cut;
    }
  }
  if (pen == 0) return NoInk(std::move(light), in, least, choice.seal);
  const auto closing = static_cast<int32_t>(std::ceil(kClosingPerPen * closing_pen / light.cell()));
  // A seal's solid parts stay seal at any width: its cells are not paper,
  // in a pen's panel too (the pen over a seal is told by how far it lies
  // under the seal's light, and a solid field the paper followed into hid
  // the whole stroke across it), nor is the seal's edge a step in the
  // paper's light.
  const float grain = static_cast<float>(least) / static_cast<float>(kInkOverGrain);
  const bool beside_seal = wanted == InkWanted::kPen && choice.seal_light > 0;
  const Buffer<uint8_t> held = QUOREL_TRY(wanted == InkWanted::kSeal || beside_seal
                                              ? SealCells(light, choice.seal, least, grain)
                                              : Buffer<uint8_t>::Filled(0));
  // A bold pen's strokes that cross or run side by side make blobs wider
  // than the first closing fills (a marker on a close-up): the paper would
  // follow the ink into them and their rims be lost. The closing may then
  // reach kBlobPerPen of the pen's widths (told without a shadow's runs);
  // beside a thinner pen it keeps to the first's, so that a hard shadow a few
  // cells wide stays paper. Not for a seal: a desk of its hue beyond the
  // sheet's edge would be filled as well.
  const auto bold = static_cast<int32_t>(std::ceil(kBlobPerPen * pen / light.cell()));
  const int32_t most = wanted == InkWanted::kSeal ? kFirstClosing : std::max(kFirstClosing, bold);
  QUOREL_TRY(light.Refit(std::clamp(closing, 2, most), held));
  const auto reach = static_cast<int32_t>(std::ceil(kReachPerPen * pen));
  const int32_t within = std::clamp(reach, 1, kLongestReach);
  const PaperSteps steps = QUOREL_TRY(PaperSteps::Find(light, held));
  Masks masks = QUOREL_TRY(Look(in, light, choice, lines, steps, least, within, white, darkness, pen_ink));
  QUOREL_TRY(masks.seeds.KeepSeeded(masks.strong));
  // Light paper lines, and those a curled sheet bows, run whole only here.
  const PaperLines others = QUOREL_TRY(lines.Others(masks.faint, masks.strong));
  QUOREL_TRY(others.Clear(masks.faint, masks.strong));
  QUOREL_TRY(GrowWithin(masks.strong, masks.faint));
  {
    // Faint words, but not the inner edge of a soft shadow, as long as one.
    const FaintSteps unseeded = QUOREL_TRY(FaintSteps::Before(masks.strong));
    QUOREL_TRY(AddFaintWords(masks.strong, masks.faint, pen));
    QUOREL_TRY(unseeded.Clear(masks.strong, in, light, std::clamp(2 * reach, 2, 2 * kLongestReach)));
  }
  // The wanted ink's darkness.
  const auto rows = [&](int32_t y, int32_t from, int32_t to) {
    light.WhiteRow(y, in.TopDownRow(y).data(), from, to, white.data());
    DarknessRow(white.data(), to - from, darkness.data());
    for (int32_t i = 0; i < to - from; ++i) darkness[i] = choice.Wants(&white[3 * i]) ? darkness[i] : 0;
    return static_cast<const uint8_t*>(darkness.data());
  };
  // Grainy ink (pencil): the paper between its flakes, at the tone of its grain.
  QUOREL_TRY(AddGrainyTrackOffLines(masks.strong, {&lines, &others}, static_cast<int32_t>(std::ceil(pen)), within,
                                    least, rows));
  // The rim of a hard shadow where the paper has not followed it yet. (The
  // width grown, as faint ink's strong pixels can be too few to tell it;
  // bounded, as is the work a pixel.)
  const double grown = beside_shadow ? pen : StrokeWidth(masks.strong);  // the shadow's width is no stroke's
  const double sides = kWidePerPen * std::max(pen, grown);
  RemoveShadowSteps(masks.strong, in, light, std::min(static_cast<int32_t>(std::ceil(sides)), 2 * kLongestReach));
  // The shaded rim of a finger in front of the page. (Not for a seal: a
  // solid seal is a region of a colour unlike the paper's too.)
  const bool desk = choice.wanted != InkWanted::kSeal && QUOREL_TRY(RemoveObjectRims(masks.strong, in, light));
  // A seal's stroke goes on under the print stamped over it, for about its
  // own width. (Not for a pen: a seal's rim beside a stroke would join it.)
  if (choice.wanted == InkWanted::kSeal) {
    QUOREL_TRY(BridgeUnder(masks.strong, masks.other, static_cast<int32_t>(std::ceil(pen))));
  }
  // Measured again only where the bridges added to the strokes: taking the
  // shadow's rims away leaves their width as it was. A seal's solid field is
  // not a stroke: its width counts up to kWidePerPen strokes, or the specks'
  // scale grows with the field until the whole seal is one "speck".
  const double stroke = std::max(
      1.0, choice.wanted == InkWanted::kSeal ? std::min(StrokeWidth(masks.strong), kWidePerPen * pen) : grown);
  // A bold printed × the name touches, told before the wide test breaks it
  // up (it goes with the others, below).
  const InkBits bold_marks = QUOREL_TRY(IsWriting(choice.wanted) ? BoldSignHereMarks(masks.strong, lines, pen)
                                                                 : InkBits::Create(0, 0));
  InkBits taken = QUOREL_TRY(shadow_cut > 0 ? masks.strong.Copy() : InkBits::Create(0, 0));
  QUOREL_TRY(KeepWriting(masks.strong, pen, stroke, choice.wanted));
  // What the wide test left of a hard shadow lighter than the pen, beside
  // what KeepWriting took (the band, with any specks and print).
  if (shadow_cut > 0) {
    Subtract(taken, masks.strong);
    const auto wide = static_cast<int32_t>(std::ceil(kWidePerPen * std::max(pen, stroke)));
    QUOREL_TRY(RemoveShadowRemnants(masks.strong, QUOREL_TRY(Grown(taken, kRemnantReachPerWide * wide)), shadow_cut,
                                    static_cast<int32_t>(std::ceil(pen / 2)), rows));
  }
  // A dark desk's grain beyond the sheet's edge, and a form's printed × where
  // the name goes, standing on its line: neither is the writing whose span
  // a signing line must run under.
  QUOREL_TRY(RemoveInkBeyondTheSheet(masks.strong, light));
  if (IsWriting(choice.wanted)) QUOREL_TRY(RemoveSignHereMarks(masks.strong, lines));
  if (bold_marks.width() > 0) Subtract(masks.strong, bold_marks);
  // A form's signing line alone under the name, taken out of the writing
  // only now: as ink, it held the measures above as they were.
  InkBits before_printed = QUOREL_TRY(lines.PrintedCount() > 1 ? masks.strong.Copy() : InkBits::Create(0, 0));
  QUOREL_TRY(lines.ClearPrinted(masks.strong));
  if (before_printed.width() > 0 && SameInk(before_printed, masks.strong)) before_printed = InkBits{};
  // A sheet's edge or a step's rim left alone, or pieces of the paper's
  // lines: writing never lies along one straight line (as the faint look's
  // crease of a fold, below), nor wholly on the lines.
  if (OneStraightLine(masks.strong, stroke) || QUOREL_TRY(OnlyLinesLeft(masks.strong, stroke, {&lines, &others}))) {
    return NoInk(std::move(light), in, least, choice.seal, desk);
  }
  // Writing near the grain (the edge at its floor) may be a pencil barely out
  // of the noise, found as its darkest flakes: its track along the strokes.
  // Not on paper whose grain capped the floor (papyrus, squared paper) or
  // with lines, whose own texture a segment follows as well (a form's
  // signing line too: the track ran along it again beyond the name).
  if (masks.edge <= 2 * least && least < kMostLeastInk && lines.empty() && !lines.AnyPrinted() && others.empty() &&
      !beside_shadow) {
    // A step in the paper's light (a shadow's or a second sheet's hard
    // edge) has a tone that holds along it as a stroke's does, and its track
    // runs along the edge: what it adds there, lighter paper on one side
    // only, goes again.
    const FaintSteps before = QUOREL_TRY(FaintSteps::Before(masks.strong));
    Unite(masks.strong, QUOREL_TRY(FindSegmentTrack(masks.strong, within, rows)));
    QUOREL_TRY(before.Clear(masks.strong, in, light, StepSides(stroke)));
  }
  // A form's print beside a coloured pen.
  if (IsWriting(choice.wanted)) {
    QUOREL_TRY(RemoveGreyPrintBesidePen(masks.strong, stroke, in, light, least, white, darkness));
  }
  // Flecks of print or of the paper's lines away from the mark: only now, as
  // the track above, looked for from all the ink found, took rows of print
  // along when they had gone before it.
  QUOREL_TRY(KeepTheBody(masks.strong));
  // A speck or a piece of a sheet's edge left alone is no writing, nor is a
  // blank form's print: its box, its lines and a printed × (OnlyPrintLeft).
  if (TooLittleForWriting(masks.strong, stroke)) return NoInk(std::move(light), in, least, choice.seal, desk);
  // The print is looked at as it was before its printed lines went too: a
  // box whose top and bottom were taken for signing lines (two of them, and
  // only where they went) leaves a side with stubs, no print's shape.
  if (IsWriting(choice.wanted)) {
    InkBits* print = QUOREL_TRY(OnlyPrintLeft(masks.strong, stroke)) ? &masks.strong : nullptr;
    if (print == nullptr && before_printed.width() > 0 && QUOREL_TRY(OnlyPrintLeft(before_printed, stroke))) {
      print = &before_printed;
    }
    if (print != nullptr) {
      FoundInk none = QUOREL_TRY(NoInk(std::move(light), in, least, choice.seal, desk));
      none.print = std::move(*print);
      return none;
    }
  }
  // A form's field drawn round the name, only now: a blank form's box is
  // print the look above tells by.
  if (IsWriting(choice.wanted)) QUOREL_TRY(RemoveBoxRoundTheName(masks.strong, stroke));
  return FoundInk{std::move(light), std::move(masks.strong), masks.edge, least, desk, choice.seal, {}};
}

// The pieces of `ink` most of whose pixels stand out of the grain (`least`)
// in the seal's hue: a seal the first look saw, and left to the seal's panel.
Result<void> RemoveSealPieces(InkBits& ink, const ConstDibRows& in, PaperLight& light, InkHue seal, int least,
                              Buffer<float>& white, Buffer<uint8_t>& darkness) {
  InkBits sealed = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
  ForEachInkPixel(ink, in, light, white, darkness, [&](int32_t x, int32_t y, const uint8_t* row) {
    if (row[x] >= least && seal.Holds(&white[size_t{3} * x])) sealed.Set(x, y);
  });
  InkBits walked = QUOREL_TRY(ink.Copy());
  return ForEachPiece(walked, [&](std::span<const InkSpot> piece) -> Result<void> {
    const auto held = std::count_if(piece.begin(), piece.end(), [&](InkSpot at) { return sealed.Get(at.x, at.y); });
    if (2 * held > static_cast<std::ptrdiff_t>(piece.size())) {
      for (const InkSpot& at : piece) ink.Clear(at.x, at.y);
    }
    return {};
  });
}

// Nothing found against the grain: writing too faint for it is looked for at
// a stroke's scale (not for a seal, which is stamped, nor by colour: so
// faint an ink's hue cannot be told from the paper's; but a pen's panel
// leaves a seal the first look saw to the seal's).
Result<void> FindFaintInk(const ConstDibRows& in, InkWanted wanted, FoundInk& found) {
  const int32_t w = in.width();
  // The look keeps a byte a pixel: not on a picture larger than a camera's.
  if (int64_t{w} * in.height() > kMostFaintLookPixels) return {};
  Buffer<float> white = QUOREL_TRY(Buffer<float>::Filled(size_t{3} * static_cast<size_t>(w)));
  Buffer<uint8_t> darkness = QUOREL_TRY(Buffer<uint8_t>::Filled(static_cast<size_t>(w)));
  const auto rows = [&](int32_t y, int32_t from, int32_t to) {
    found.light.WhiteRow(y, in.TopDownRow(y).data(), from, to, white.data());
    DarknessRow(white.data(), to - from, darkness.data());
    return static_cast<const uint8_t*>(darkness.data());
  };
  InkBits ink = QUOREL_TRY(FindFaintStrokes(w, in.height(), rows));
  // A blank form's print the first look found is no writing, nor are its
  // lighter parts joined to it.
  if (found.print.width() > 0) {
    QUOREL_TRY(GrowWithin(found.print, ink));
    Subtract(ink, found.print);
  }
  const PaperLines lines = QUOREL_TRY(PaperLines::Find(ink));
  QUOREL_TRY(lines.Clear(ink, ink));
  const double stroke = std::max(1.0, StrokeWidth(ink));
  // A fold's or a sheet's shaded edge is as faint as such strokes: the
  // pieces without lighter paper on both sides go, read as the strokes were
  // found (every piece is new: none was there before).
  const FaintSteps none = QUOREL_TRY(FaintSteps::Before(QUOREL_TRY(InkBits::Create(w, in.height()))));
  QUOREL_TRY(none.Clear(ink, in, found.light, StepSides(stroke)));
  QUOREL_TRY(RemoveObjectRims(ink, in, found.light, found.desk));  // a desk's grain beyond the sheet's edge is as faint
  QUOREL_TRY(KeepWriting(ink, stroke, stroke, wanted));
  if (wanted == InkWanted::kPen) {
    QUOREL_TRY(RemoveSealPieces(ink, in, found.light, found.seal, found.least, white, darkness));
  }
  // A crease of a fold, straight across the sheet, is as faint: a groove
  // with lighter paper on both sides, found as a row of pieces. Writing
  // never lies along one straight line.
  if (OneStraightLine(ink, stroke) || QUOREL_TRY(OnlyLinesLeft(ink, stroke, {&lines}))) return {};
  // A pencil this faint may be found as its darkest flakes only, with the
  // paper's tone between them: its track along the strokes, as for writing
  // near the grain (and not on paper whose grain capped the floor, nor with
  // lines).
  const int32_t within = std::clamp(static_cast<int32_t>(std::ceil(kReachPerPen * stroke)), 1, kLongestReach);
  if (lines.empty() && found.least < kMostLeastInk && InkGrain(ink, within, found.least, rows) >= 2) {
    Unite(ink, QUOREL_TRY(FindSegmentTrack(ink, within, rows)));
  }
  // Ink is drawn from its own darkness up: the edge at its median.
  std::array<uint64_t, 256> histogram{};
  uint64_t count = 0;
  for (int32_t y = 0; y < in.height(); ++y) {
    const uint8_t* dark = rows(y, 0, w);
    for (int32_t x = 0; x < w; ++x) {
      if (ink.Get(x, y)) ++histogram[dark[x]], ++count;
    }
  }
  if (count == 0 || TooLittleForWriting(ink, stroke)) return {};
  if (IsWriting(wanted) && QUOREL_TRY(OnlyPrintLeft(ink, stroke))) return {};
  if (IsWriting(wanted)) QUOREL_TRY(RemoveBoxRoundTheName(ink, stroke));
  found.ink = std::move(ink);
  found.edge = std::max(2, MedianOf(histogram, count));
  found.least = 1;
  return {};
}

// The cleaned picture inside `rect`: paper white; ink at its hue and one
// depth, blended by how far its darkness lies past the edge; shading only
// beside ink.
Result<PackedDib> Render(const ConstDibRows& in, FoundInk& found, const PixelRect& rect,
                         const PackedDib& picture) {
  const int32_t w = in.width();
  const int32_t h = in.height();
  const int32_t out_w = rect.right - rect.left;
  PackedDib out = QUOREL_TRY(CreateDib(out_w, rect.bottom - rect.top, 24, 0, PixelFill::kNone));
  out.SetField32(DibField::kXPelsPerMeter, picture.Field32(DibField::kXPelsPerMeter));
  out.SetField32(DibField::kYPelsPerMeter, picture.Field32(DibField::kYPelsPerMeter));
  const DibRows rows = QUOREL_TRY(DibRows::Of(out));
  Buffer<float> white = QUOREL_TRY(Buffer<float>::Filled(size_t{3} * static_cast<size_t>(out_w)));
  Buffer<uint8_t> darkness = QUOREL_TRY(Buffer<uint8_t>::Filled(static_cast<size_t>(out_w)));
  const InkBits& ink = found.ink;
  const float edge = static_cast<float>(found.edge);
  for (int32_t y = rect.top; y < rect.bottom; ++y) {
    uint8_t* dst = rows.TopDownRow(y - rect.top).data();
    std::fill(dst, dst + size_t{3} * out_w, uint8_t{255});
    const int least = std::min(found.edge / 2 + 1, found.least);  // neither ink nor its shading below
    ForDarkRuns(found.light, y, least, rect.left, rect.right, [&](int32_t from, int32_t to) {
      found.light.WhiteRow(y, in.TopDownRow(y).data(), from, to, white.data());
      DarknessRow(white.data(), to - from, darkness.data());
      for (int32_t x = from; x < to; ++x) {
        const int32_t i = x - from;
        const float d = darkness[i];
        float alpha = 0;
        if (ink.Get(x, y)) {
          alpha = kInkFloor + (1 - kInkFloor) * std::clamp((d - edge) / edge, 0.0f, 1.0f);
        } else if (d > edge / 2) {
          const bool beside_ink = (x > 0 && ink.Get(x - 1, y)) || (x + 1 < w && ink.Get(x + 1, y)) ||
                                  (y > 0 && ink.Get(x, y - 1)) || (y + 1 < h && ink.Get(x, y + 1));
          if (beside_ink) alpha = std::min(kShadeCeiling, kShadeCeiling * (d - edge / 2) / (edge / 2));
        }
        if (alpha <= 0) continue;
        // A pixel with no light left in any channel has no hue: neutral ink.
        // (At its own "hue" it came out black, darker than all other ink, and
        // the two-level reduction's halfway threshold, taken from the darkest
        // pixel, then dropped the ink's lighter edge.)
        float colour[3] = {1, 1, 1};
        float sum = 3;
        if (const float own = std::min(255.0f, white[3 * i]) + std::min(255.0f, white[3 * i + 1]) +
                              std::min(255.0f, white[3 * i + 2]);
            own >= 1) {
          for (int c = 0; c < 3; ++c) colour[c] = std::min(255.0f, white[3 * i + c]);
          sum = own;
        }
        uint8_t* p = dst + 3 * (x - rect.left);
        for (int c = 0; c < 3; ++c) {
          const float ink_colour = colour[c] * kInkDepth / sum;
          p[c] = static_cast<uint8_t>(255.5f - alpha * (255 - ink_colour));
        }
      }
    });
  }
  return out;
}

}  // namespace

Result<CleanedPhoto> CleanPhoto(const PackedDib& picture, InkWanted wanted) {
  const ConstDibRows in = QUOREL_TRY(ConstDibRows::Of(picture));
  FoundInk found = QUOREL_TRY(FindInk(in, wanted));
  const bool grainy = found.least > kLeastInk;
  if (wanted != InkWanted::kSeal && InkBounds(found.ink).right == 0) {
    QUOREL_TRY(FindFaintInk(in, wanted, found));
  }
  if (grainy) QUOREL_TRY(FillPinholes(found.ink));
  const PixelRect bounds = InkBounds(found.ink);
  if (bounds.right == 0) {
    PackedDib white = QUOREL_TRY(CreateDib(1, 1, 24, 0, PixelFill::kNone));
    const DibRows rows = QUOREL_TRY(DibRows::Of(white));
    std::fill_n(rows.TopDownRow(0).data(), 3, uint8_t{255});
    return CleanedPhoto{std::move(white), PixelRect{}, false};
  }
  const PixelRect rect = WithMargin(bounds, in.width(), in.height());
  return CleanedPhoto{QUOREL_TRY(Render(in, found, rect, picture)), rect, true};
}

}  // namespace quorel
