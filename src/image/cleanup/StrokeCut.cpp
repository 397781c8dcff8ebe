// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/StrokeCut.h"

#include <algorithm>
#include <cmath>

#include "image/cleanup/DarknessInLight.h"
#include "image/cleanup/GridExtreme.h"

namespace quorel {
namespace {

double Phi(double u) { return 0.5 * std::erfc(-u / std::sqrt(2.0)); }

// u with Phi(u) = q, for q in (½, 1): bisection, as the table is built once.
double InversePhi(double q) {
  double low = 0.0;
  double high = 10.0;
  for (int i = 0; i < 60; ++i) {
    const double mid = (low + high) / 2;
    (Phi(mid) < q ? low : high) = mid;
  }
  return (low + high) / 2;
}

// The edge of a stroke of peak share r = p / C, as a share of its peak.
double EdgeShare(double r) {
  if (r >= 1.0) return 0.5;
  const double half_width = InversePhi((1 + r) / 2);  // w / 2s
  return (Phi(2 * half_width) - 0.5) / r;
}

}  // namespace

Result<StrokeCut> StrokeCut::Create(int32_t width, int32_t height, int32_t cell) {
  StrokeCut cut;
  cut.cell_ = std::max(1, cell);
  cut.columns_ = (width + cut.cell_ - 1) / cut.cell_;
  cut.rows_ = (height + cut.cell_ - 1) / cut.cell_;
  cut.darkest_ = QUOREL_TRY(Buffer<uint8_t>::Filled(static_cast<size_t>(cut.columns_) * cut.rows_));
  cut.square_of_ = QUOREL_TRY(Buffer<int32_t>::Filled(static_cast<size_t>(width)));
  for (int32_t x = 0; x < width; ++x) cut.square_of_[x] = x / cut.cell_;
  for (size_t i = 0; i < cut.edge_share_.size(); ++i) {
    cut.edge_share_[i] = static_cast<float>(EdgeShare(static_cast<double>(i) / 256));
  }
  return cut;
}

Result<void> StrokeCut::Spread(int contrast, int32_t reach) {
  contrast_ = contrast;
  for (int peak = 0; peak < 256; ++peak) least_[peak] = static_cast<uint8_t>(Least(peak, contrast));
  const int32_t radius = (reach + cell_ - 1) / cell_;
  // The largest value within `radius` squares: along rows, then columns.
  const auto larger = [](uint8_t a, uint8_t b) { return std::max(a, b); };
  QUOREL_TRY(RunningExtreme(darkest_, columns_, rows_, 1, true, radius, larger));
  QUOREL_TRY(RunningExtreme(darkest_, columns_, rows_, 1, false, radius, larger));
  return {};
}

int StrokeCut::Least(int peak, int contrast) const {
  if (peak >= contrast) return HalfwayCuts()[peak];
  // In each kind of values: the stroke's edge, between its halfway line and its peak.
  const float in_stored = edge_share_[static_cast<size_t>(256 * peak / contrast)] * static_cast<float>(peak);
  const int stored = std::clamp(static_cast<int>(std::ceil(in_stored - 1e-3f)), (peak + 1) / 2, peak);
  const double light = DarknessInLight(peak);
  const double share = edge_share_[static_cast<size_t>(std::min(255.0, 256 * light / DarknessInLight(contrast)))];
  const int in_light = std::clamp(StoredDarkness(share * light), StoredDarkness(light / 2), peak);
  return Midway(stored, in_light);
}

void EdgeRise::AddRow(const uint8_t* darkness, int32_t count) {
  if (contrast_ <= 0) return;
  const int low = contrast_ / 4;
  const int high = 3 * contrast_ / 4;
  // Where the row crosses `level` between pixel x and the next, one on
  // either side of it.
  const auto crossing = [&](int level, int32_t x) {
    return x + static_cast<double>(level - darkness[x]) / (darkness[x + 1] - darkness[x]);
  };
  int last_side = 0;  // −1 paper, 1 ink, 0 none yet
  int32_t last = 0;   // the pixel last on a side
  for (int32_t x = 0; x < count; ++x) {
    const int side = darkness[x] < low ? -1 : darkness[x] >= high ? 1 : 0;
    if (side == 0) continue;
    if (last_side == -side) {
      const double rise = side == 1 ? crossing(high, x - 1) - crossing(low, last)
                                    : crossing(low, x - 1) - crossing(high, last);
      rises_.Add(rise);
    }
    last_side = side;
    last = x;
  }
}

int32_t EdgeRise::NarrowRun() const {
  if (rises_.count() == 0) return kNarrowRun;
  const double median = rises_.Median();
  // 2.355 σ = 1.74 × the 1.35 σ rise.
  return std::max(kNarrowRun, static_cast<int32_t>(std::lround(1.74 * median)) + 1);
}

}  // namespace quorel
