// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "common/Buffer.h"
#include "common/Result.h"
#include "image/CopyIntoRect.h"

namespace quorel {

// One bit a pixel, top-down rows: ink or not. An eighth of a byte mask, so a
// 12-megapixel photo's mask and marks take 3 MB, not 24.
class InkBits {
 public:
  static Result<InkBits> Create(int32_t width, int32_t height);
  // The same ink in a mask of its own. kOutOfMemory.
  Result<InkBits> Copy() const;

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  bool Get(int32_t x, int32_t y) const {
    return (bits_[Byte(y, x)] >> (x & 7)) & 1;
  }
  void Set(int32_t x, int32_t y) { bits_[Byte(y, x)] |= static_cast<uint8_t>(1u << (x & 7)); }
  void Clear(int32_t x, int32_t y) { bits_[Byte(y, x)] &= static_cast<uint8_t>(~(1u << (x & 7))); }
  // Whether a byte of row y holds any ink, so empty stretches are skipped.
  const uint8_t* Row(int32_t y) const { return &bits_[Byte(y, 0)]; }
  uint8_t* MutableRow(int32_t y) { return &bits_[Byte(y, 0)]; }
  // Whether row y holds any ink at all.
  bool RowHasInk(int32_t y) const {
    return std::any_of(Row(y), Row(y) + stride_, [](uint8_t b) { return b != 0; });
  }
  size_t stride() const { return stride_; }

 private:
  size_t Byte(int32_t y, int32_t x) const {
    return static_cast<size_t>(y) * stride_ + (static_cast<size_t>(x) >> 3);
  }
  int32_t width_ = 0;
  int32_t height_ = 0;
  size_t stride_ = 0;
  ByteBuffer bits_;
};

// Calls visit(x, y) for each pixel of ink, row by row, skipping empty bytes.
// The bits are read as the walk goes: visit may clear pixels still ahead.
template <class Visit>
void ForEachInk(const InkBits& ink, Visit visit) {
  for (int32_t y = 0; y < ink.height(); ++y) {
    const uint8_t* bits = ink.Row(y);
    for (int32_t x = 0; x < ink.width(); ++x) {
      if ((x & 7) == 0 && bits[x >> 3] == 0) {
        x += 7;
        continue;
      }
      if (ink.Get(x, y)) visit(x, y);
    }
  }
}

// Clears every piece of ink (8-connected) smaller than `min_area` pixels.
// Work in proportion to the ink; memory in proportion to one piece's front
// and min_area. kOutOfMemory.
Result<void> RemoveSpecks(InkBits& ink, int64_t min_area);
// The same, and pieces under `piece_area` (dots) are kept only where a piece
// of at least `piece_area` lies within `reach` pixels of their box, or half
// the median height of those pieces if that is more: an i's dot stays, a lone
// speck goes.
Result<void> RemoveSpecks(InkBits& ink, int64_t min_area, int64_t piece_area, int32_t reach);

// Clears the pieces of ink (8-connected) that spread less than `along` along
// their main axis (PieceSpread): writing runs, a clump of the paper's
// texture or noise does not. kOutOfMemory.
Result<void> KeepLongPieces(InkBits& ink, double along);

// Whether the ink is only dots by their own measure (a blot, specks of
// dust): a dot is under `widths` times the square of its own width (the
// widest band that fits in it), where writing runs for several widths; dots
// within their own size of each other are one, the sum of their areas under
// `widths` times the square of the widest's width. A piece of `most` pixels
// or more is writing. Memory: a copy of the ink, a piece's box and its first
// `most` pixels. kOutOfMemory.
Result<bool> ScatteredDots(const InkBits& ink, double widths, int64_t most);

// Whether all the ink lies along one straight line (PieceSpread::Straight):
// writing spreads across by the size of its letters; a fold's crease, found
// as a row of faint pieces, is one long thin band.
bool OneStraightLine(const InkBits& ink, double width);

// Whether the ink, read as strokes `width` across, runs in all for less than
// 0.15 of the picture's longer side: a speck, a hair, a paper clip, a piece
// of a sheet's edge. Any writing runs three times as far or more (in every
// photo of the bench and of the seeds held out, signatures and seals in all
// their classes, at least 0.44 of the picture's longer side: a name's
// strokes run several times its width).
bool TooLittleForWriting(const InkBits& ink, double width);

// Adds each pixel of paper with ink on three or four of its four sides: a
// pen's footprint has no hole or notch a pixel wide, while the paper's tooth
// between a pencil's flakes and the noise along a stroke's edge leave them.
// (Ink on two sides alone may be the paper between two strokes, or a
// corner.) Beyond the picture is paper. kOutOfMemory.
Result<void> FillPinholes(InkBits& ink);

// The typical stroke width in pixels: the median length of the ink's runs
// along rows and columns, each run counted once, so a few wide dark areas
// do not count for much (`share`: the length under which that share of the
// runs lie, for the thinner strokes). 0 without ink.
double StrokeWidth(const InkBits& ink, double share = 0.5);

// Run lengths counted (longer ones as kLongest), and their median: 0 for none.
class RunTally {
 public:
  static constexpr int32_t kLongest = 255;
  void Add(int32_t length) { ++runs_[std::min(length, kLongest)]; }
  // The length under which `share` of the runs lie.
  double Quantile(double share) const;
  double Median() const { return Quantile(0.5); }

 private:
  std::array<int64_t, kLongest + 1> runs_{};
};

// Adds to `ink` every pixel of `allowed` 8-connected to it (hysteresis: faint
// pixels that join strong ones, however far along a winding stroke). Work in
// proportion to the picture's bytes and the pixels added; memory the fill's
// front. kOutOfMemory.
Result<void> GrowWithin(InkBits& ink, const InkBits& allowed);

// Adds to `ink` each pixel of `under` with ink within `span` pixels on both
// sides along its row or along its column: where other ink (print under a
// seal) crosses a stroke, the stroke goes on beneath it. kOutOfMemory.
Result<void> BridgeUnder(InkBits& ink, const InkBits& under, int32_t span);

// Every part of the ink that a square of side 2 × radius + 1 fits in (the
// ink's opening). kOutOfMemory.
Result<InkBits> Opened(const InkBits& ink, int32_t radius);

// Clears the ink's opening (Opened): an area that much wider than a stroke
// is a shadow or a stain, not writing. Strokes that leave it stay.
// kOutOfMemory.
Result<void> RemoveWide(InkBits& ink, int32_t radius);

// The ink grown by a square of side 2 × radius + 1: every pixel with ink
// within `radius` along its row and its column. kOutOfMemory.
Result<InkBits> Grown(const InkBits& ink, int32_t radius);

// The ink OR-reduced: a cell of `factor` × `factor` pixels is ink when any
// of its pixels is. kOutOfMemory.
Result<InkBits> OrReduced(const InkBits& ink, int32_t factor);

// The smallest rectangle around the ink; empty (all zero) without ink.
PixelRect InkBounds(const InkBits& ink);

// Adds every pixel of `more` (of the same size) to `ink`.
inline void Unite(InkBits& ink, const InkBits& more) {
  for (int32_t y = 0; y < ink.height(); ++y) {
    uint8_t* row = ink.MutableRow(y);
    const uint8_t* other = more.Row(y);
    for (size_t i = 0; i < ink.stride(); ++i) row[i] |= other[i];
  }
}

// Clears every pixel of `ink` that `within` (of the same size) does not hold.
inline void Intersect(InkBits& ink, const InkBits& within) {
  for (int32_t y = 0; y < ink.height(); ++y) {
    uint8_t* row = ink.MutableRow(y);
    const uint8_t* other = within.Row(y);
    for (size_t i = 0; i < ink.stride(); ++i) row[i] &= other[i];
  }
}

// Whether `ink` and `other` (of the same size) hold the same pixels.
inline bool SameInk(const InkBits& ink, const InkBits& other) {
  for (int32_t y = 0; y < ink.height(); ++y) {
    if (!std::equal(ink.Row(y), ink.Row(y) + ink.stride(), other.Row(y))) return false;
  }
  return true;
}

// Clears every pixel of `ink` that `gone` (of the same size) holds.
inline void Subtract(InkBits& ink, const InkBits& gone) {
  for (int32_t y = 0; y < ink.height(); ++y) {
    uint8_t* row = ink.MutableRow(y);
    const uint8_t* other = gone.Row(y);
    for (size_t i = 0; i < ink.stride(); ++i) row[i] &= static_cast<uint8_t>(~other[i]);
  }
}

}  // namespace quorel
