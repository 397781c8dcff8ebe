// Quorel — SPDX-License-Identifier: MIT
#include "image/TwoLevel.h"

#include <algorithm>

#include "image/DibLayout.h"
#include "image/InkLevels.h"

namespace quorel {
namespace {

constexpr uint8_t kWhite = 255;

void WriteTableEntry(std::span<uint8_t> block, size_t at, Colour colour) {
  block[at] = BlueOf(colour);
  block[at + 1] = GreenOf(colour);
  block[at + 2] = RedOf(colour);
  block[at + 3] = 0;
}

void SetBackground(std::span<uint8_t> row, int32_t x) {
  row[static_cast<size_t>(x) >> 3] |= static_cast<uint8_t>(0x80u >> (x & 7));
}

// 24 bits: the ink rule of InkLevels.
void ReduceTrueColour(const ConstDibRows& in, const DibRows& out) {
  const InkLevels levels = InkLevelsOf(in);
  for (int32_t y = 0; y < in.height(); ++y) {
    const auto row = in.StoredRow(y);
    const auto bits = out.StoredRow(y);
    for (int32_t x = 0; x < in.width(); ++x) {
      if (!levels.IsInk(SumAt(row, x))) SetBackground(bits, x);
    }
  }
}

// 8 and 4 bits: each entry decides alone by the top bit of its blue. An index
// beyond the colour table reads as black, so it becomes ink.
void ReducePalette(const ConstDibRows& in, const DibRows& out) {
  const DibGeometry& g = in.geometry();
  const uint32_t entries = std::min<uint32_t>(g.palette_entries, 256);
  bool background_of[256] = {};
  for (uint32_t i = 0; i < entries; ++i) {
    background_of[i] = in.PaletteColour(i).blue >= 128;
  }
  for (int32_t y = 0; y < g.height; ++y) {
    const auto row = in.StoredRow(y);
    const auto bits = out.StoredRow(y);
    for (int32_t x = 0; x < g.width; ++x) {
      uint8_t index;
      if (g.bit_count == 8) {
        index = row[x];
      } else {
        const uint8_t pair = row[static_cast<size_t>(x) >> 1];
        index = (x & 1) ? (pair & 0x0F) : (pair >> 4);  // high nibble is the left pixel
      }
      if (background_of[index]) SetBackground(bits, x);
    }
  }
}

}  // namespace

Colour ChooseBackground(Colour ink) {
  return BrightnessSum(ink) > 128 ? MakeColour(0, 0, 0) : MakeColour(kWhite, kWhite, kWhite);
}

Result<PackedDib> ReduceToTwoLevels(const PackedDib& picture, Colour ink, Colour background) {
  const int depth = picture.BitCount();
  if (depth != 1 && depth != 4 && depth != 8 && depth != 24) return Status::kUnsupported;
  const ConstDibRows in = QUOREL_TRY(ConstDibRows::Of(picture));
  // Already two-level: an exact copy, its own colours kept.
  if (depth == 1) return PackedDib::FromBytes(picture.Bytes());

  // All ink to begin with; the reduction sets the background bits.
  PackedDib out = QUOREL_TRY(CreateDib(in.width(), in.height(), 1, 2));
  out.SetField32(DibField::kClrUsed, 0);  // the depth's own two entries
  WriteTableEntry(out.Bytes(), kInfoHeaderSize, ink);
  WriteTableEntry(out.Bytes(), kInfoHeaderSize + 4, background);
  const DibRows out_rows = QUOREL_TRY(DibRows::Of(out));
  if (depth == 24) {
    ReduceTrueColour(in, out_rows);
  } else {
    ReducePalette(in, out_rows);
  }
  return out;
}

}  // namespace quorel
