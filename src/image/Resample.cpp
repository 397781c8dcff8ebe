// Quorel — SPDX-License-Identifier: MIT
#include "image/Resample.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>
#include <utility>
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

// The largest sum of `pixels` bytes, saturated where it would pass 64 bits.
uint64_t MaxSum(uint64_t pixels) { return pixels > UINT64_MAX / 255 ? UINT64_MAX : pixels * 255; }

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

namespace {

// One source row added to its columns' sums; the first row of a box sets them,
// so they need no clearing between boxes.
template <class Sum>
void AddRow(Sum* sums, const uint8_t* bytes, size_t size, bool first) {
  if (first) {
    for (size_t x = 0; x < size; ++x) sums[x] = bytes[x];
  } else {
    for (size_t x = 0; x < size; ++x) sums[x] = static_cast<Sum>(sums[x] + bytes[x]);
  }
}

// The column sums of one span added to `sum`, two pixels a step: spans are a
// few pixels wide, too short for the vectorised loop a compiler would make of
// one pixel a step.
template <class Sum>
void AddSpan(const Sum* sums, Span span, uint64_t (&sum)[3]) {
  const Sum* from = sums + static_cast<size_t>(span.first) * 3;
  int width = span.last - span.first;
  for (; width >= 2; width -= 2, from += 6) {
    sum[0] += uint64_t{from[0]} + from[3];
    sum[1] += uint64_t{from[1]} + from[4];
    sum[2] += uint64_t{from[2]} + from[5];
  }
  if (width == 1) {
    sum[0] += from[0];
    sum[1] += from[1];
    sum[2] += from[2];
  }
}

}  // namespace

Result<BoxSums> BoxSums::Create(const Plan& plan) {
  BoxSums sums;
  sums.columns_ = QUOREL_TRY(AverageColumns(plan));
  int tallest = 1;
  for (int i = 0; i < plan.target_height; ++i) {
    const Span rows = AverageRows(plan, i);
    tallest = std::max(tallest, rows.last - rows.first);
  }
  QUOREL_TRY(sums.by_width_.Resize(sums.columns_.size()));
  for (size_t k = 0; k < sums.columns_.size(); ++k) {
    const auto width = static_cast<uint64_t>(sums.columns_[k].last - sums.columns_[k].first);
    sums.by_width_[k] = ExactDivisor(width, MaxSum(static_cast<uint64_t>(tallest) * width));
    sums.widths_multiply_ = sums.widths_multiply_ && sums.by_width_[k].Multiplies();
  }
  const size_t bytes = size_t{3} * static_cast<size_t>(plan.source_width);
  if (tallest <= kMaxShortRows) {
    QUOREL_TRY(sums.short_sums_.Resize(bytes));
  } else {
    QUOREL_TRY(sums.column_sums_.Resize(bytes));
    QUOREL_TRY(sums.sums_.Resize(size_t{3} * static_cast<size_t>(plan.target_width)));
  }
  return sums;
}

void BoxSums::Add(std::span<const uint8_t> row) {
  if (!short_sums_.empty()) {
    AddRow(short_sums_.data(), row.data(), short_sums_.size(), rows_ == 0);
  } else {
    // 255 × 2^24 still fits 32 bits: taller boxes fold first.
    if (rows_ == (uint32_t{1} << 24)) Fold();
    AddRow(column_sums_.data(), row.data(), column_sums_.size(), rows_ == 0);
  }
  ++rows_;
}

void BoxSums::Fold() {
  for (size_t k = 0; k < columns_.size(); ++k) {
    for (int x = columns_[k].first; x < columns_[k].last; ++x) {
      for (size_t c = 0; c < 3; ++c) sums_[k * 3 + c] += column_sums_[static_cast<size_t>(x) * 3 + c];
    }
  }
  rows_ = 0;
  folded_ = true;
}

void BoxSums::Write(Span rows, std::span<uint8_t> out) {
  assert(rows_ > 0 || folded_);  // Add comes first
  // An average over width × height pixels, divided by the width and then the
  // height: floor(floor(n / a) / b) is floor(n / (a·b)) for whole numbers,
  // and each divisor is exact over its smaller range.
  const auto height = static_cast<uint64_t>(rows.last - rows.first);
  const ExactDivisor by_height(height, MaxSum(height));
  const bool multiply = widths_multiply_ && by_height.Multiplies();
  const auto write = [&](auto sum_of) {
    uint8_t* to = out.data();
    for (size_t k = 0; k < columns_.size(); ++k) {
      uint64_t sum[3] = {0, 0, 0};
      sum_of(k, sum);
      const ExactDivisor by_width = by_width_[k];  // a copy, which the bytes written cannot alias
      for (size_t c = 0; c < 3; ++c) {
        const uint64_t average = multiply ? by_height.Quotient(by_width.Quotient(sum[c]))
                                          : by_height.Divide(by_width.Divide(sum[c]));
        to[k * 3 + c] = static_cast<uint8_t>(average);
      }
    }
  };
  if (folded_) {
    if (rows_ > 0) Fold();
    write([&](size_t k, uint64_t(&sum)[3]) { std::copy_n(&sums_[k * 3], 3, sum); });
    std::fill(sums_.begin(), sums_.end(), 0);
  } else if (!short_sums_.empty()) {
    write([&](size_t k, uint64_t(&sum)[3]) { AddSpan(short_sums_.data(), columns_[k], sum); });
  } else {
    write([&](size_t k, uint64_t(&sum)[3]) { AddSpan(column_sums_.data(), columns_[k], sum); });
  }
  rows_ = 0;
  folded_ = false;
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
