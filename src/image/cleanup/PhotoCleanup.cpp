// Quorel — SPDX-License-Identifier: MIT
// NOTE: nothing of picture size is kept but the one-bit ink mask: darkness is
// computed again in each pass from the picture and the paper grid, because
// fresh memory costs more here (page faults) than the few multiplications.
#include "image/cleanup/PhotoCleanup.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <vector>

#include "image/DibLayout.h"
#include "image/cleanup/InkBits.h"
#include "image/cleanup/PaperLight.h"
#include "image/cleanup/PaperLines.h"
#include "image/cleanup/TrimMargins.h"

namespace quorel {
namespace {

// Darkness against the paper, 0 (paper) to 255 (no light at all in some
// channel). Paper grain and JPEG noise stay well under kLeastInk.
constexpr int kLeastInk = 40;
// The ink's full contrast is taken where 90 % of the darker pixels lie, and
// the ink edge halfway to it (the 50 % coverage line of a blurred stroke).
constexpr double kContrastShare = 0.90;
constexpr int kMaxEdge = 128;  // a clean scan: exactly the halfway rule
// Ink spans 0.55–1 of the way from white to its colour, shading 0–0.45.
constexpr float kInkFloor = 0.55f;
constexpr float kShadeCeiling = 0.45f;
// The first paper estimate fills strokes up to 2 × 4 cells wide (a seal's rim
// on a photo); the second one just what the stroke width found asks for.
constexpr int32_t kFirstClosing = 4;
constexpr double kClosingPerPen = 1.5;
// The local edge looks this many cells around.
constexpr int32_t kLocalReach = 2;
constexpr int kGrowPasses = 4;
// A piece under kPieceAreaPerPen stroke widths squared is a dot: kept within
// kDotReachPerPen stroke widths of a larger piece, dropped elsewhere.
constexpr double kPieceAreaPerPen = 4.0;
constexpr double kDotReachPerPen = 8.0;
// A seal's ink: red above green and blue by this share of its darkness.
constexpr float kSealRedness = 0.4f;

struct FoundInk {
  PaperLight light;
  InkBits ink;
  int edge = kMaxEdge;  // darkness at which ink begins
};

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

int ChooseEdge(const std::array<uint32_t, 256>& histogram) {
  uint64_t dark = 0;
  for (int d = kLeastInk; d < 256; ++d) dark += histogram[d];
  if (dark == 0) return kMaxEdge;
  const auto wanted = static_cast<uint64_t>(std::ceil(kContrastShare * static_cast<double>(dark)));
  uint64_t seen = 0;
  for (int d = kLeastInk; d < 256; ++d) {
    seen += histogram[d];
    if (seen >= wanted) return std::clamp((d + 1) / 2, kLeastInk, kMaxEdge);
  }
  return kMaxEdge;
}

// Whether a white-paper relative pixel (blue, green, red) is of the seal's
// hue: red well above green and blue, for most of its darkness.
bool SealHue(const float* bgr) {
  const float darkness = 255.0f - std::min({bgr[0], bgr[1], bgr[2], 255.0f});
  return std::min(bgr[2], 255.0f) - std::max(bgr[0], bgr[1]) >= kSealRedness * darkness;
}

bool Wanted(InkWanted wanted, const float* bgr) {
  switch (wanted) {
    case InkWanted::kPen: return !SealHue(bgr);
    case InkWanted::kSeal: return SealHue(bgr);
    case InkWanted::kAny: break;
  }
  return true;
}

// Per cell, the darkness where faint ink begins: half the contrast of the
// darkest ink within kLocalReach cells (the halfway rule, locally), never
// above the picture's edge nor below kLeastInk.
std::vector<uint8_t> LocalEdges(const PaperLight& light, int32_t gw, int32_t gh, int edge) {
  std::vector<uint8_t> rows(static_cast<size_t>(gw) * gh);
  std::vector<uint8_t> out(rows.size());
  for (int32_t gy = 0; gy < gh; ++gy) {
    for (int32_t gx = 0; gx < gw; ++gx) {
      int most = 0;
      for (int32_t x = std::max(0, gx - kLocalReach); x <= std::min(gw - 1, gx + kLocalReach); ++x) {
        most = std::max(most, light.DarknessBound(x, gy));
      }
      rows[static_cast<size_t>(gy) * gw + gx] = static_cast<uint8_t>(most);
    }
  }
  for (int32_t gy = 0; gy < gh; ++gy) {
    for (int32_t gx = 0; gx < gw; ++gx) {
      int most = 0;
      for (int32_t y = std::max(0, gy - kLocalReach); y <= std::min(gh - 1, gy + kLocalReach); ++y) {
        most = std::max<int>(most, rows[static_cast<size_t>(y) * gw + gx]);
      }
      out[static_cast<size_t>(gy) * gw + gx] = static_cast<uint8_t>(std::clamp(most / 2, kLeastInk, edge));
    }
  }
  return out;
}

// One look at the picture against `light`: the edge from the darkness
// histogram, then strong ink (at least the edge) and faint ink (at least the
// local edge) as masks, both without paper lines.
struct Masks {
  InkBits strong;
  InkBits faint;
  int edge;
};

Result<Masks> Look(const ConstDibRows& in, PaperLight& light, InkWanted wanted, std::vector<float>& white,
                   std::vector<uint8_t>& darkness) try {
  const int32_t w = in.width();
  const int32_t h = in.height();
  std::array<uint32_t, 256> histogram{};
  for (int32_t y = 0; y < h; ++y) {
    ForDarkRuns(light, y, kLeastInk, 0, w, [&](int32_t from, int32_t to) {
      light.WhiteRow(y, in.TopDownRow(y).data(), from, to, white.data());
      DarknessRow(white.data(), to - from, darkness.data());
      for (int32_t i = 0; i < to - from; ++i) {
        if (darkness[i] >= kLeastInk && Wanted(wanted, &white[3 * i])) ++histogram[darkness[i]];
      }
    });
  }
  Masks masks{QUOREL_TRY(InkBits::Create(w, h)), QUOREL_TRY(InkBits::Create(w, h)), ChooseEdge(histogram)};
  const int32_t cell = light.cell();
  const int32_t gw = (w + cell - 1) / cell;
  const int32_t gh = (h + cell - 1) / cell;
  const std::vector<uint8_t> local = LocalEdges(light, gw, gh, masks.edge);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* edges = &local[static_cast<size_t>(y / cell) * gw];
    ForDarkRuns(light, y, kLeastInk, 0, w, [&](int32_t from, int32_t to) {
      light.WhiteRow(y, in.TopDownRow(y).data(), from, to, white.data());
      DarknessRow(white.data(), to - from, darkness.data());
      for (int32_t i = 0; i < to - from; ++i) {
        const int32_t x = from + i;
        if (darkness[i] < edges[x / cell] || !Wanted(wanted, &white[3 * i])) continue;
        masks.faint.Set(x, y);
        if (darkness[i] >= masks.edge) masks.strong.Set(x, y);
      }
    });
  }
  QUOREL_TRY(RemovePaperLines(masks.faint, masks.strong));
  return masks;
} catch (const std::bad_alloc&) {
  return Status::kOutOfMemory;
}

Result<FoundInk> FindInk(const ConstDibRows& in, InkWanted wanted) try {
  const int32_t w = in.width();
  std::vector<float> white(size_t{3} * static_cast<size_t>(w));
  std::vector<uint8_t> darkness(static_cast<size_t>(w));
  PaperLight light = QUOREL_TRY(PaperLight::Estimate(in, kFirstClosing));
  Masks masks = QUOREL_TRY(Look(in, light, wanted, white, darkness));
  // The paper again with a closing just wide enough for the strokes found,
  // so that a wider dark area (a finger's shadow) is paper, not ink.
  const double pen = StrokeWidth(masks.strong);
  const auto closing = static_cast<int32_t>(std::ceil(kClosingPerPen * std::max(pen, 1.0) / light.cell()));
  if (pen > 0 && closing < kFirstClosing) {
    QUOREL_TRY(light.Refit(std::max(1, closing)));
    masks = QUOREL_TRY(Look(in, light, wanted, white, darkness));
  }
  GrowWithin(masks.strong, masks.faint, kGrowPasses);
  const double stroke = std::max(1.0, StrokeWidth(masks.strong));
  QUOREL_TRY(RemoveSpecks(masks.strong, static_cast<int64_t>(stroke * stroke / 2),
                          static_cast<int64_t>(kPieceAreaPerPen * stroke * stroke),
                          static_cast<int32_t>(kDotReachPerPen * stroke)));
  return FoundInk{std::move(light), std::move(masks.strong), masks.edge};
} catch (const std::bad_alloc&) {
  return Status::kOutOfMemory;
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
  std::vector<float> white;
  std::vector<uint8_t> darkness;
  try {
    white.resize(size_t{3} * static_cast<size_t>(out_w));
    darkness.resize(static_cast<size_t>(out_w));
  } catch (const std::bad_alloc&) {
    return Status::kOutOfMemory;
  }
  const InkBits& ink = found.ink;
  const float edge = static_cast<float>(found.edge);
  for (int32_t y = rect.top; y < rect.bottom; ++y) {
    uint8_t* dst = rows.TopDownRow(y - rect.top).data();
    std::fill(dst, dst + size_t{3} * out_w, uint8_t{255});
    const int least = std::min(found.edge / 2 + 1, kLeastInk);  // neither ink nor its shading below
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
        float colour[3];
        for (int c = 0; c < 3; ++c) colour[c] = std::min(255.0f, white[3 * i + c]);
        const float sum = std::max(1.0f, colour[0] + colour[1] + colour[2]);
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
