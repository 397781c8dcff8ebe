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

Result<FoundInk> FindInk(const ConstDibRows& in) {
  const int32_t w = in.width();
  const int32_t h = in.height();
  FoundInk found{QUOREL_TRY(PaperLight::Estimate(in)), QUOREL_TRY(InkBits::Create(w, h))};
  std::vector<float> white;
  std::vector<uint8_t> darkness;
  try {
    white.resize(size_t{3} * static_cast<size_t>(w));
    darkness.resize(static_cast<size_t>(w));
  } catch (const std::bad_alloc&) {
    return Status::kOutOfMemory;
  }
  // Only cells that may hold ink are looked at, twice: for the ink's
  // contrast, then for the ink.
  std::array<uint32_t, 256> histogram{};
  for (int32_t y = 0; y < h; ++y) {
    ForDarkRuns(found.light, y, kLeastInk, 0, w, [&](int32_t from, int32_t to) {
      found.light.WhiteRow(y, in.TopDownRow(y).data(), from, to, white.data());
      DarknessRow(white.data(), to - from, darkness.data());
      for (int32_t i = 0; i < to - from; ++i) ++histogram[darkness[i]];
    });
  }
  found.edge = ChooseEdge(histogram);
  for (int32_t y = 0; y < h; ++y) {
    ForDarkRuns(found.light, y, found.edge, 0, w, [&](int32_t from, int32_t to) {
      found.light.WhiteRow(y, in.TopDownRow(y).data(), from, to, white.data());
      DarknessRow(white.data(), to - from, darkness.data());
      for (int32_t i = 0; i < to - from; ++i) {
        if (darkness[i] >= found.edge) found.ink.Set(from + i, y);
      }
    });
  }
  const double pen = PenWidth(found.ink);
  QUOREL_TRY(RemoveSpecks(found.ink, static_cast<int64_t>(pen * pen / 2)));
  return found;
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
    const int least = found.edge / 2 + 1;  // neither ink nor its shading below
    ForDarkRuns(found.light, y, least, rect.left, rect.right, [&](int32_t from, int32_t to) {
      found.light.WhiteRow(y, in.TopDownRow(y).data(), from, to, white.data());
      DarknessRow(white.data(), to - from, darkness.data());
      for (int32_t x = from; x < to; ++x) {
        const int32_t i = x - from;
        const float d = darkness[i];
        float alpha = 0;
        if (ink.Get(x, y)) {
          alpha = kInkFloor + (1 - kInkFloor) * std::min(1.0f, (d - edge) / edge);
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
  (void)wanted;
  const ConstDibRows in = QUOREL_TRY(ConstDibRows::Of(picture));
  FoundInk found = QUOREL_TRY(FindInk(in));
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
