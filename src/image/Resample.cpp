// Quorel — SPDX-License-Identifier: MIT
#include "image/Resample.h"

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

#include "image/DibLayout.h"

namespace quorel {
namespace {

// Every rounding of the scale rules adds 0.5 and truncates toward zero.
int Trunc(double v) { return static_cast<int>(v); }
int Step(int a, int b, double t) { return a + Trunc(t * (b - a) + 0.5); }
uint8_t Clamp255(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

// Source index for a target index by `ratio`, kept inside the source even if
// rounding of the double product should ever reach its end.
int SourceIndex(int target, double ratio, int source_size) {
  return std::min(Trunc(target * ratio), source_size - 1);
}

void Interpolate(const ConstDibRows& src, const DibRows& dst, double dx, double dy) {
  const int sw = src.geometry().width;
  const int sh = src.geometry().height;
  const int dw = dst.geometry().width;
  const int dh = dst.geometry().height;
  for (int i = 0; i < dh; ++i) {
    const int j = SourceIndex(i, dy, sh);
    const double gy = i * dy - j;
    const bool next_row = j + 1 < sh;
    const std::span<const uint8_t> row_p = src.StoredRow(j);
    const std::span<const uint8_t> row_q = next_row ? src.StoredRow(j + 1) : row_p;
    const std::span<uint8_t> out = dst.StoredRow(i);
    for (int k = 0; k < dw; ++k) {
      const int l = SourceIndex(k, dx, sw);
      const double gx = k * dx - l;
      const bool next_col = l + 1 < sw;
      const size_t at = static_cast<size_t>(l) * 3;
      for (int c = 0; c < 3; ++c) {
        const int p = row_p[at + c];
        int value = p;
        if (next_col && next_row) {
          const int top = Clamp255(Step(p, row_p[at + 3 + c], gx));
          const int bottom = Clamp255(Step(row_q[at + c], row_q[at + 3 + c], gx));
          value = Step(top, bottom, gy);
        } else if (next_col) {
          value = Step(p, row_p[at + 3 + c], gx);
        } else if (next_row) {
          value = Step(p, row_q[at + c], gy);
        }
        out[static_cast<size_t>(k) * 3 + c] = Clamp255(value);
      }
    }
  }
}

// The source range [first, last) averaged into target index `target`. A range
// that rounds to nothing (a target larger than its source in this direction)
// takes the nearest source index alone, so the average never divides by zero.
struct Span {
  int first;
  int last;
};
Span BoxRange(int target, double ratio, int source_size) {
  int first = Trunc(target * ratio + 0.5);
  int last = std::min(Trunc((target + 1) * ratio + 0.5), source_size);
  if (first >= last) {
    first = std::min(first, source_size - 1);
    last = first + 1;
  }
  return {first, last};
}

void Average(const ConstDibRows& src, const DibRows& dst, double dx, double dy) {
  const int sw = src.geometry().width;
  const int sh = src.geometry().height;
  const int dw = dst.geometry().width;
  const int dh = dst.geometry().height;
  std::vector<Span> columns(static_cast<size_t>(dw));
  for (int k = 0; k < dw; ++k) columns[k] = BoxRange(k, dx, sw);
  std::vector<uint64_t> sums(static_cast<size_t>(dw) * 3);
  for (int i = 0; i < dh; ++i) {
    const Span rows = BoxRange(i, dy, sh);
    std::fill(sums.begin(), sums.end(), 0);
    for (int y = rows.first; y < rows.last; ++y) {
      const std::span<const uint8_t> row = src.StoredRow(y);
      for (int k = 0; k < dw; ++k) {
        uint64_t b = 0, g = 0, r = 0;
        for (int x = columns[k].first; x < columns[k].last; ++x) {
          const size_t at = static_cast<size_t>(x) * 3;
          b += row[at];
          g += row[at + 1];
          r += row[at + 2];
        }
        sums[k * 3] += b;
        sums[k * 3 + 1] += g;
        sums[k * 3 + 2] += r;
      }
    }
    const std::span<uint8_t> out = dst.StoredRow(i);
    for (int k = 0; k < dw; ++k) {
      const uint64_t count =
          static_cast<uint64_t>(rows.last - rows.first) * (columns[k].last - columns[k].first);
      for (int c = 0; c < 3; ++c) out[k * 3 + c] = static_cast<uint8_t>(sums[k * 3 + c] / count);
    }
  }
}

}  // namespace

Result<PackedDib> Resample(const PackedDib& source, int32_t width, int32_t height) {
  if (width < 1 || height < 1) return Status::kBadInput;
  if (source.BitCount() != 24) return Status::kUnsupported;
  const ConstDibRows src = QUOREL_TRY(ConstDibRows::Of(source));
  // NOTE: the result is a clean 24-bit picture without a colour table even when
  // the source carries one, so that every consumer finds its rows right after
  // the header.
  PackedDib target = QUOREL_TRY(CreateDib(width, height, 24, 0, PixelFill::kNone));
  const DibRows dst = QUOREL_TRY(DibRows::Of(target));
  const double dx = static_cast<double>(src.width()) / width;
  const double dy = static_cast<double>(src.height()) / height;
  if (dx <= 2.0) {
    Interpolate(src, dst, dx, dy);
  } else {
    Average(src, dst, dx, dy);
  }
  return target;
}

}  // namespace quorel
