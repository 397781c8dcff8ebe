// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/PaperLight.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "image/cleanup/GridExtreme.h"

namespace quorel {
namespace {

// About a hundred cells across the shorter side, at least 4 pixels each.
constexpr int32_t kCellsAcross = 96;
constexpr int32_t kMinCell = 4;

// A 3 × 3 mean, so the closing's plateaus join without steps.
Result<void> Smooth(Buffer<float>& grid, int32_t w, int32_t h) {
  Buffer<float> out = QUOREL_TRY(Buffer<float>::Filled(grid.size()));
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      for (int32_t c = 0; c < 3; ++c) {
        float sum = 0;
        int count = 0;
        for (int32_t dy = -1; dy <= 1; ++dy) {
          for (int32_t dx = -1; dx <= 1; ++dx) {
            const int32_t xx = x + dx;
            const int32_t yy = y + dy;
            if (xx < 0 || yy < 0 || xx >= w || yy >= h) continue;
            sum += grid[(static_cast<size_t>(yy) * w + xx) * 3 + c];
            ++count;
          }
        }
        out[(static_cast<size_t>(y) * w + x) * 3 + c] = sum / static_cast<float>(count);
      }
    }
  }
  grid = std::move(out);
  return {};
}

// Each held cell's colour from the cells around it, ring by ring inward from
// the cells not held: the mean of its neighbours already known. Cells no ring
// reaches (all held) keep their own.
Result<void> FillHeld(Buffer<float>& grid, int32_t w, int32_t h, std::span<const uint8_t> held) {
  Buffer<uint8_t> known = QUOREL_TRY(Buffer<uint8_t>::Filled(held.size()));
  for (size_t i = 0; i < held.size(); ++i) known[i] = held[i] == 0;
  Buffer<uint8_t> next = QUOREL_TRY(Buffer<uint8_t>::Copy(known));
  for (bool changed = true; changed;) {
    changed = false;
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        const size_t at = static_cast<size_t>(y) * w + x;
        if (known[at] != 0) continue;
        float sum[3] = {0, 0, 0};
        int count = 0;
        for (int32_t ny = std::max(0, y - 1); ny <= std::min(h - 1, y + 1); ++ny) {
          for (int32_t nx = std::max(0, x - 1); nx <= std::min(w - 1, x + 1); ++nx) {
            const size_t n = static_cast<size_t>(ny) * w + nx;
            if (known[n] == 0) continue;
            for (int c = 0; c < 3; ++c) sum[c] += grid[n * 3 + c];
            ++count;
          }
        }
        if (count == 0) continue;
        for (int c = 0; c < 3; ++c) grid[at * 3 + c] = sum[c] / static_cast<float>(count);
        next[at] = 1;
        changed = true;
      }
    }
    std::copy(next.begin(), next.end(), known.begin());
  }
  return {};
}

}  // namespace

Result<PaperLight> PaperLight::Estimate(const ConstDibRows& picture, int32_t closing_radius) {
  if (picture.geometry().bit_count != 24) return Status::kBadInput;
  PaperLight light;
  const int32_t w = picture.width();
  const int32_t h = picture.height();
  light.width_ = w;
  light.cell_ = std::max(kMinCell, std::min(w, h) / kCellsAcross);
  const int32_t cell = light.cell_;
  const int32_t gw = (w + cell - 1) / cell;
  const int32_t gh = (h + cell - 1) / cell;
  light.grid_width_ = gw;
  light.grid_height_ = gh;

  // Cell means; the last row and column of cells may be partial.
  Buffer<float> grid = QUOREL_TRY(Buffer<float>::Filled(static_cast<size_t>(gw) * gh * 3));
  Buffer<uint32_t> sums = QUOREL_TRY(Buffer<uint32_t>::Filled(static_cast<size_t>(gw) * 3));
  // Each cell's least byte.
  Buffer<uint8_t> darkest = QUOREL_TRY(Buffer<uint8_t>::Filled(static_cast<size_t>(gw) * gh * 3));
  for (int32_t gy = 0; gy < gh; ++gy) {
    std::fill(sums.begin(), sums.end(), 0u);
    uint8_t* least = &darkest[static_cast<size_t>(gy) * gw * 3];
    std::fill(least, least + size_t{3} * gw, uint8_t{255});
    const int32_t y_end = std::min(h, (gy + 1) * cell);
    for (int32_t y = gy * cell; y < y_end; ++y) {
      const uint8_t* row = picture.TopDownRow(y).data();
      for (int32_t gx = 0; gx < gw; ++gx) {
        uint32_t* s = &sums[static_cast<size_t>(gx) * 3];
        uint8_t* m = &least[static_cast<size_t>(gx) * 3];
        // Locals, not the arrays: bytes may alias, so the compiler would
        // store each step back.
        uint32_t s0 = 0, s1 = 0, s2 = 0;
        uint8_t m0 = m[0], m1 = m[1], m2 = m[2];
        const int32_t x_end = std::min(w, (gx + 1) * cell);
        for (const uint8_t* p = row + 3 * gx * cell; p < row + 3 * x_end; p += 3) {
          s0 += p[0];
          s1 += p[1];
          s2 += p[2];
          m0 = std::min(m0, p[0]);
          m1 = std::min(m1, p[1]);
          m2 = std::min(m2, p[2]);
        }
        s[0] += s0;
        s[1] += s1;
        s[2] += s2;
        m[0] = m0;
        m[1] = m1;
        m[2] = m2;
      }
    }
    for (int32_t gx = 0; gx < gw; ++gx) {
      const int32_t cw = std::min(w, (gx + 1) * cell) - gx * cell;
      const float count = static_cast<float>(cw * (y_end - gy * cell));
      for (int32_t c = 0; c < 3; ++c) {
        grid[(static_cast<size_t>(gy) * gw + gx) * 3 + c] = sums[gx * 3 + c] / count;
      }
    }
  }
  light.means_ = std::move(grid);
  light.darkest_ = std::move(darkest);
  QUOREL_TRY(light.column_.Resize(static_cast<size_t>(w)));
  QUOREL_TRY(light.weight_.Resize(static_cast<size_t>(w)));
  for (int32_t x = 0; x < w; ++x) {
    const float u = std::clamp((x + 0.5f) / cell - 0.5f, 0.0f, static_cast<float>(gw - 1));
    const int32_t left = std::min(static_cast<int32_t>(u), std::max(0, gw - 2));
    light.column_[x] = left;
    light.weight_[x] = std::min(1.0f, u - static_cast<float>(left));
  }
  QUOREL_TRY(light.upper_.Resize(size_t{3} * w));
  QUOREL_TRY(light.lower_.Resize(size_t{3} * w));
  QUOREL_TRY(light.Refit(closing_radius));
  return light;
}

Result<void> PaperLight::Refit(int32_t closing_radius, std::span<const uint8_t> held) {
  const int32_t gw = grid_width_;
  const int32_t gh = grid_height_;
  if (!held.empty() && held.size() != static_cast<size_t>(gw) * gh) return Status::kBadInput;
  Buffer<float> grid = QUOREL_TRY(Buffer<float>::Copy(means_));
  if (!held.empty()) QUOREL_TRY(FillHeld(grid, gw, gh, held));
  const auto larger = [](float a, float b) { return std::max(a, b); };
  const auto smaller = [](float a, float b) { return std::min(a, b); };
  QUOREL_TRY(RunningExtreme(grid, gw, gh, 3, true, closing_radius, larger));
  QUOREL_TRY(RunningExtreme(grid, gw, gh, 3, false, closing_radius, larger));
  QUOREL_TRY(RunningExtreme(grid, gw, gh, 3, true, closing_radius, smaller));
  QUOREL_TRY(RunningExtreme(grid, gw, gh, 3, false, closing_radius, smaller));
  QUOREL_TRY(Smooth(grid, gw, gh));
  for (float& v : grid) v = 255.0f / std::max(v, 1.0f);
  PaperLight& light = *this;
  light.inverse_ = std::move(grid);
  light.widened_top_ = -1;

  // A pixel's 255 / paper is interpolated between grid nodes at most one
  // cell away, so it is no less than the least of those nodes.
  QUOREL_TRY(light.darkness_bound_.Resize(static_cast<size_t>(gw) * gh));
  for (int32_t gy = 0; gy < gh; ++gy) {
    for (int32_t gx = 0; gx < gw; ++gx) {
      float lightest = 255.0f;
      for (int32_t c = 0; c < 3; ++c) {
        float least_inverse = 1e9f;
        for (int32_t ny = std::max(0, gy - 1); ny <= std::min(gh - 1, gy + 1); ++ny) {
          for (int32_t nx = std::max(0, gx - 1); nx <= std::min(gw - 1, gx + 1); ++nx) {
            least_inverse = std::min(least_inverse, light.inverse_[(static_cast<size_t>(ny) * gw + nx) * 3 + c]);
          }
        }
        lightest = std::min(lightest, darkest_[(static_cast<size_t>(gy) * gw + gx) * 3 + c] * least_inverse);
      }
      // One more for the rounding of the interpolation.
      light.darkness_bound_[static_cast<size_t>(gy) * gw + gx] =
          static_cast<uint8_t>(std::min(255.0f, std::ceil(255.5f - lightest) + 1));
    }
  }

  return {};
}

PaperLight::Between PaperLight::RowBetween(int32_t y) const {
  const float v = std::clamp((y + 0.5f) / cell_ - 0.5f, 0.0f, static_cast<float>(grid_height_ - 1));
  const int32_t top = std::min(static_cast<int32_t>(v), std::max(0, grid_height_ - 2));
  return {top, std::min(top + 1, grid_height_ - 1), std::min(1.0f, v - static_cast<float>(top))};
}

PaperLight::Spot PaperLight::SpotAt(int32_t x, int32_t y) const {
  const int32_t left = column_[x];
  return {RowBetween(y), left, std::min(left + 1, grid_width_ - 1), weight_[x]};
}

template <class Node>
float PaperLight::Interpolate(const Spot& at, Node node) const {
  const Between& row = at.row;
  const float upper = node(at.left, row.top) + (node(at.right, row.top) - node(at.left, row.top)) * at.share;
  const float lower = node(at.left, row.bottom) + (node(at.right, row.bottom) - node(at.left, row.bottom)) * at.share;
  return upper + (lower - upper) * row.share;
}

float PaperLight::PaperAt(int32_t x, int32_t y) const {
  return Interpolate(SpotAt(x, y), [this](int32_t gx, int32_t gy) { return NodePaper(gx, gy); });
}

void PaperLight::Widen(int32_t grid_y, Buffer<float>& out) const {
  const float* cells = &inverse_[static_cast<size_t>(grid_y) * grid_width_ * 3];
  const int32_t last = grid_width_ - 1;
  for (int32_t x = 0; x < width_; ++x) {
    const float* a = cells + size_t{3} * column_[x];
    const float* b = cells + size_t{3} * std::min(column_[x] + 1, last);
    const float s = weight_[x];
    for (int c = 0; c < 3; ++c) out[size_t{3} * x + c] = a[c] + (b[c] - a[c]) * s;
  }
}

void PaperLight::ScaleAt(int32_t x, int32_t y, float* scale) const {
  const Spot at = SpotAt(x, y);
  for (int c = 0; c < 3; ++c) {
    scale[c] = Interpolate(at, [this, c](int32_t gx, int32_t gy) {
      return inverse_[(static_cast<size_t>(gy) * grid_width_ + gx) * 3 + c];
    });
  }
}

void PaperLight::WhiteRow(int32_t y, const uint8_t* row, int32_t from, int32_t to, float* white) {
  const auto [top, bottom, t] = RowBetween(y);
  if (top != widened_top_) {
    if (top == widened_top_ + 1 && widened_top_ >= 0) {
      std::swap(upper_, lower_);
    } else {
      Widen(top, upper_);
    }
    Widen(bottom, lower_);
    widened_top_ = top;
  }
  const size_t begin = size_t{3} * from;
  const size_t end = size_t{3} * to;
  const float* a = upper_.data();
  const float* b = lower_.data();
  for (size_t i = begin; i < end; ++i) {
    white[i - begin] = static_cast<float>(row[i]) * (a[i] + (b[i] - a[i]) * t);
  }
}

}  // namespace quorel
