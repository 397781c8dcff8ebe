// Quorel — SPDX-License-Identifier: MIT
#include "image/Resample.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <span>
#include <vector>

#include "image/DibLayout.h"
#include "image/ResampleRows.h"

namespace quorel {
namespace resample {
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

// A range that rounds to nothing (a target larger than its source in this
// direction) takes the nearest source index alone, so the average never
// divides by zero.
Span BoxRange(int target, double ratio, int source_size) {
  int first = Trunc(target * ratio + 0.5);
  int last = std::min(Trunc((target + 1) * ratio + 0.5), source_size);
  if (first >= last) {
    first = std::min(first, source_size - 1);
    last = first + 1;
  }
  return {first, last};
}

}  // namespace

Plan MakePlan(int source_width, int source_height, int target_width, int target_height) {
  const double dx = static_cast<double>(source_width) / target_width;
  const double dy = static_cast<double>(source_height) / target_height;
  return {source_width, source_height, target_width, target_height, dx, dy, dx > 2.0};
}

int InterpolationRow(const Plan& plan, int i) { return SourceIndex(i, plan.dy, plan.source_height); }

void InterpolateRow(const Plan& plan, int i, std::span<const uint8_t> row_p,
                    std::span<const uint8_t> row_q, std::span<uint8_t> out) {
  const int j = InterpolationRow(plan, i);
  const double gy = i * plan.dy - j;
  const bool next_row = j + 1 < plan.source_height;
  for (int k = 0; k < plan.target_width; ++k) {
    const int l = SourceIndex(k, plan.dx, plan.source_width);
    const double gx = k * plan.dx - l;
    const bool next_col = l + 1 < plan.source_width;
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

Span AverageRows(const Plan& plan, int i) { return BoxRange(i, plan.dy, plan.source_height); }

Result<Buffer<Span>> AverageColumns(const Plan& plan) {
  Buffer<Span> columns = QUOREL_TRY(Buffer<Span>::Filled(static_cast<size_t>(plan.target_width)));
  for (int k = 0; k < plan.target_width; ++k) columns[k] = BoxRange(k, plan.dx, plan.source_width);
  return columns;
}

Result<BoxSums> BoxSums::Create(const Plan& plan) {
  BoxSums sums;
  sums.columns_ = QUOREL_TRY(AverageColumns(plan));
  QUOREL_TRY(sums.column_sums_.Resize(size_t{3} * static_cast<size_t>(plan.source_width)));
  QUOREL_TRY(sums.sums_.Resize(size_t{3} * static_cast<size_t>(plan.target_width)));
  return sums;
}

void BoxSums::Add(std::span<const uint8_t> row) {
  // 255 × 2^24 still fits 32 bits: taller boxes fold first.
  if (rows_ == (uint32_t{1} << 24)) Fold();
  for (size_t x = 0; x < column_sums_.size(); ++x) column_sums_[x] += row[x];
  ++rows_;
}

void BoxSums::Fold() {
  for (size_t k = 0; k < columns_.size(); ++k) {
    for (int x = columns_[k].first; x < columns_[k].last; ++x) {
      for (size_t c = 0; c < 3; ++c) sums_[k * 3 + c] += column_sums_[static_cast<size_t>(x) * 3 + c];
    }
  }
  std::fill(column_sums_.begin(), column_sums_.end(), 0);
  rows_ = 0;
}

void BoxSums::Write(Span rows, std::span<uint8_t> out) {
  Fold();
  for (size_t k = 0; k < columns_.size(); ++k) {
    const uint64_t count =
        static_cast<uint64_t>(rows.last - rows.first) * (columns_[k].last - columns_[k].first);
    for (size_t c = 0; c < 3; ++c) out[k * 3 + c] = static_cast<uint8_t>(sums_[k * 3 + c] / count);
  }
  std::fill(sums_.begin(), sums_.end(), 0);
}

}  // namespace resample

Result<PackedDib> Resample(const PackedDib& source, int32_t width, int32_t height) {
  if (width < 1 || height < 1) return Status::kBadInput;
  if (source.BitCount() != 24) return Status::kUnsupported;
  const ConstDibRows src = QUOREL_TRY(ConstDibRows::Of(source));
  // NOTE: the result is a clean 24-bit picture without a colour table even when
  // the source carries one, so that every consumer finds its rows right after
  // the header.
  PackedDib target = QUOREL_TRY(CreateDib(width, height, 24, 0, PixelFill::kNone));
  const DibRows dst = QUOREL_TRY(DibRows::Of(target));
  const resample::Plan plan = resample::MakePlan(src.width(), src.height(), width, height);
  if (!plan.average) {
    for (int i = 0; i < height; ++i) {
      const int j = resample::InterpolationRow(plan, i);
      const auto row = src.StoredRow(j);
      resample::InterpolateRow(plan, i, row, j + 1 < src.height() ? src.StoredRow(j + 1) : row,
                               dst.StoredRow(i));
    }
    return target;
  }
  resample::BoxSums sums = QUOREL_TRY(resample::BoxSums::Create(plan));
  for (int i = 0; i < height; ++i) {
    const resample::Span rows = resample::AverageRows(plan, i);
    for (int y = rows.first; y < rows.last; ++y) sums.Add(src.StoredRow(y));
    sums.Write(rows, dst.StoredRow(i));
  }
  return target;
}

}  // namespace quorel
