// Quorel — SPDX-License-Identifier: MIT
#include "image/Coverage.h"

#include <algorithm>

#include "image/ConvertTo24.h"
#include "image/DibLayout.h"
#include "image/InkLevels.h"

namespace quorel {
namespace {

// Writes the coverage of every pixel of the 24-bit `in` into the 8-bit `out`.
void Ramp(const ConstDibRows& in, const DibRows& out) {
  const CoverageRows coverage(in);
  for (int32_t y = 0; y < in.height(); ++y) coverage.StoredRow(y, out.StoredRow(y));
}

Result<PackedDib> CoverageOf24(const PackedDib& picture) {
  const ConstDibRows in = QUOREL_TRY(ConstDibRows::Of(picture));
  PackedDib out = QUOREL_TRY(CreateDib(in.width(), in.height(), 8, 256, PixelFill::kNone));
  auto table = out.Bytes().subspan(kInfoHeaderSize, 4 * 256);
  for (size_t i = 0; i < 256; ++i) {
    table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<uint8_t>(i);
  }
  Ramp(in, QUOREL_TRY(DibRows::Of(out)));
  return out;
}

}  // namespace

CoverageRows::CoverageRows(const ConstDibRows& in) : in_(in), levels_(InkLevelsOf(in)) {
  const int margin = (levels_.brightest - levels_.darkest) / 8;
  full_ = levels_.darkest + margin;
  bare_ = levels_.brightest - margin;
  ramp_ = std::max(bare_ - full_, 1);
}

Result<CoverageRows> CoverageRows::Of(const PackedDib& picture) {
  if (picture.BitCount() != 24) return Status::kUnsupported;
  return CoverageRows(QUOREL_TRY(ConstDibRows::Of(picture)));
}

void CoverageRows::StoredRow(int32_t index, std::span<uint8_t> alpha) const {
  const auto row = in_.StoredRow(index);
  for (int32_t x = 0; x < in_.width(); ++x) {
    const int sum = SumAt(row, x);
    int value = 255;
    if (levels_.brightest > levels_.darkest) value = std::clamp(((bare_ - sum) * 255 + ramp_ / 2) / ramp_, 0, 255);
    // Half coverage or more exactly where the ink rule puts ink, whatever
    // the rounding did.
    value = levels_.IsInk(sum) ? std::max(value, 128) : std::min(value, 127);
    alpha[x] = static_cast<uint8_t>(value);
  }
}

Result<PackedDib> MeasureCoverage(const PackedDib& picture) {
  if (picture.BitCount() == 24) return CoverageOf24(picture);
  const PackedDib converted = QUOREL_TRY(ConvertTo24(QUOREL_TRY(PackedDib::FromBytes(picture.Bytes()))));
  return CoverageOf24(converted);
}

}  // namespace quorel
