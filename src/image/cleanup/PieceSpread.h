// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quorel {

// The spread of a piece's pixels along and across its main axis (the square
// roots of the eigenvalues of their covariance): across, about a third of
// its width for a straight band, the size of its letters for a word; along,
// about a third of a straight stroke's length.
class PieceSpread {
 public:
  void Add(int32_t x, int32_t y) {
    if (n_ == 0) x0_ = x, y0_ = y;
    const double dx = x - x0_;
    const double dy = y - y0_;
    ++n_;
    sx_ += dx, sy_ += dy, sxx_ += dx * dx, syy_ += dy * dy, sxy_ += dx * dy;
  }
  bool empty() const { return n_ == 0; }
  // The main axis's angle to the rows, in radians (−π/2 … π/2].
  double Angle() const {
    const Covariance c = Central();
    return std::atan2(2 * c.xy, c.xx - c.yy) / 2;
  }
  double Across() const { return Axis(-1); }
  double Along() const { return Axis(1); }
  // Whether the pixels lie along one straight line: across its main axis
  // they spread less than 1.5 × `width` (a band some five widths thick), and
  // along it over `along_per_across` (20) times as much. Writing spreads
  // across by the size of its letters, and a word along it by a few times
  // that.
  bool Straight(double width, double along_per_across = 20) const {
    constexpr double kAcrossWidths = 1.5;
    return !empty() && Across() <= kAcrossWidths * width && Along() >= along_per_across * Across();
  }

 private:
  struct Covariance {
    double xx = 0, yy = 0, xy = 0;
  };
  Covariance Central() const {
    if (n_ == 0) return {};
    const double n = static_cast<double>(n_);
    return {sxx_ / n - (sx_ / n) * (sx_ / n), syy_ / n - (sy_ / n) * (sy_ / n), sxy_ / n - (sx_ / n) * (sy_ / n)};
  }
  double Axis(double side) const {
    const Covariance c = Central();
    const double half_gap = (c.xx - c.yy) / 2;
    return std::sqrt(std::max(0.0, (c.xx + c.yy) / 2 + side * std::sqrt(half_gap * half_gap + c.xy * c.xy)));
  }

  // Sums taken from the first pixel, so they stay small for any picture.
  int64_t n_ = 0;
  double x0_ = 0, y0_ = 0;
  double sx_ = 0, sy_ = 0, sxx_ = 0, syy_ = 0, sxy_ = 0;
};

}  // namespace quorel
