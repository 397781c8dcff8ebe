// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/FaintWords.h"

#include <algorithm>
#include <cmath>

#include "common/Buffer.h"
#include "image/cleanup/InkPieces.h"
#include "image/cleanup/PieceSpread.h"

namespace quorel {
namespace {

constexpr double kWordShare = 0.3;
constexpr double kLeastWordPerPen = 4.0;
// A word's strokes apart: pieces of at least (kStrokePerPen strokes)² within
// kGroupReachPerPen strokes of each other, a group at most kLongestGroup
// times as long as it spreads across. Not beside a pen of a speck's width
// (heavy noise measures it so): the noise's specks would group as words.
constexpr double kStrokePerPen = 2.0;
constexpr double kGroupReachPerPen = 1.0;
constexpr double kLongestGroup = 4.0;
constexpr double kSpeckPen = 2.0;

struct Word {
  int32_t x, y;  // its first pixel of ink
  int64_t area;  // its pixels of ink
};

// The groups (pieces of `groups`, which the walk clears) with at least
// `least` pixels of `ink` that are no straight band: the ink spreads at least
// a stroke width across its main axis, and along it at most `longest` times
// as far as across.
Result<Buffer<Word>> WordsIn(InkBits& groups, const InkBits& ink, double pen, int64_t least, double longest) {
  Buffer<Word> words;
  Word first{};
  PieceSpread spread;
  bool room = true;
  WalkPieces(
      groups, 1,
      [&](int32_t x, int32_t y) {
        if (!ink.Get(x, y)) return;
        if (spread.empty()) first = {x, y, 0};
        spread.Add(x, y);
        ++first.area;
      },
      [&](const auto&, int64_t, const PixelRect&) {
        const double across = spread.Across();
        if (first.area >= least && across >= pen && spread.Along() <= longest * across && room) {
          room = words.Push(first).ok();
        }
        spread = PieceSpread{};
        first = {};
      });
  if (!room) return Status::kOutOfMemory;
  return words;
}

// Sets in `seeds` the first pixel of each word at least `word` pixels large;
// whether any was.
bool SeedWords(const Buffer<Word>& words, int64_t word, InkBits& seeds) {
  bool any = false;
  for (const Word& w : words) {
    if (w.area >= word) seeds.Set(w.x, w.y), any = true;
  }
  return any;
}

}  // namespace

Result<void> AddFaintWords(InkBits& strong, const InkBits& faint, double pen) {
  const int32_t w = strong.width();
  const int32_t h = strong.height();
  // Beside a pen of a speck's width, a word is as large as beside one of
  // kSpeckPen: heavy noise measures the pen so, and its faint clumps, many
  // as large as a finer pen's word, stood all over a shaded page as writing.
  const double sized = std::max(pen, kSpeckPen);
  const auto least = static_cast<int64_t>(std::ceil(kLeastWordPerPen * kLeastWordPerPen * sized * sized));
  // The faint ink no strong ink reached.
  InkBits unreached = QUOREL_TRY(InkBits::Create(w, h));
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = unreached.MutableRow(y);
    for (size_t i = 0; i < strong.stride(); ++i) row[i] = faint.Row(y)[i] & ~strong.Row(y)[i];
  }
  InkBits pieces = QUOREL_TRY(unreached.Copy());
  const Buffer<Word> single = QUOREL_TRY(WordsIn(pieces, unreached, pen, least, HUGE_VAL));
  // A word's strokes apart (a kanji's under a glare, broken where the faint
  // ink is lightest) are told together, as long as a word at most (not the
  // pieces of a soft shadow's edge along it).
  const bool grouping = pen > kSpeckPen;
  InkBits strokes = QUOREL_TRY(grouping ? unreached.Copy() : InkBits::Create(0, 0));
  QUOREL_TRY(RemoveSpecks(strokes, static_cast<int64_t>(std::ceil(kStrokePerPen * kStrokePerPen * pen * pen))));
  const InkBits near = QUOREL_TRY(Grown(strokes, static_cast<int32_t>(std::ceil(kGroupReachPerPen * pen))));
  InkBits groups = QUOREL_TRY(near.Copy());
  const Buffer<Word> grouped = QUOREL_TRY(WordsIn(groups, strokes, pen, least, kLongestGroup));
  if (single.size() == 0 && grouped.size() == 0) return {};  // most pictures: the strong ink is not walked

  // The size of the picture's words: the median piece of strong ink.
  for (int32_t y = 0; y < h; ++y) std::copy_n(strong.Row(y), strong.stride(), pieces.MutableRow(y));
  Buffer<int64_t> areas;  // at most one for `least` pixels
  bool room = true;
  WalkPieces(pieces, 1, [](int32_t, int32_t) {}, [&](const auto&, int64_t area, const PixelRect&) {
    if (area >= least && room) room = areas.Push(area).ok();
  });
  if (!room) return Status::kOutOfMemory;
  if (areas.size() == 0) return {};
  int64_t* middle = areas.begin() + areas.size() / 2;
  std::nth_element(areas.begin(), middle, areas.end());
  const auto word = static_cast<int64_t>(kWordShare * static_cast<double>(*middle));

  // Each word grown from its seed through its own pieces, which no strong
  // ink touches; a group's through the strokes it joins.
  if (SeedWords(single, word, pieces)) {
    QUOREL_TRY(GrowWithin(pieces, unreached));
    Unite(strong, pieces);
  }
  if (SeedWords(grouped, word, groups)) {
    QUOREL_TRY(GrowWithin(groups, near));
    Intersect(groups, strokes);
    Unite(strong, groups);
  }
  return {};
}

}  // namespace quorel
