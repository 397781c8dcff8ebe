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
  const InkLevels levels = InkLevelsOf(in);
  const int ink = levels.darkest;
  const int paper = levels.brightest;
  const int margin = (paper - ink) / 8;
  const int full = ink + margin;    // at or below: all ink
  const int bare = paper - margin;  // at or above: bare paper
  const int ramp = std::max(bare - full, 1);
  for (int32_t y = 0; y < in.height(); ++y) {
    const auto row = in.StoredRow(y);
    const auto alpha = out.StoredRow(y);
    for (int32_t x = 0; x < in.width(); ++x) {
      const int sum = SumAt(row, x);
      int value = 255;
      if (paper > ink) value = std::clamp(((bare - sum) * 255 + ramp / 2) / ramp, 0, 255);
      // Half coverage or more exactly where the ink rule puts ink, whatever
      // the rounding did.
      value = levels.IsInk(sum) ? std::max(value, 128) : std::min(value, 127);
      alpha[x] = static_cast<uint8_t>(value);
    }
  }
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

Result<PackedDib> MeasureCoverage(const PackedDib& picture) {
  if (picture.BitCount() == 24) return CoverageOf24(picture);
  const PackedDib converted = QUOREL_TRY(ConvertTo24(QUOREL_TRY(PackedDib::FromBytes(picture.Bytes()))));
  return CoverageOf24(converted);
}

}  // namespace quorel
