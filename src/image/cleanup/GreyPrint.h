// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "common/Result.h"
#include "image/CopyIntoRect.h"
#include "image/cleanup/InkBits.h"
#include "image/cleanup/InkPieces.h"

namespace quorel {

// A name signed in a coloured pen (blue, violet, green) on a form keeps the
// pieces of the form's black print that the other stages took for writing:
// a caption's glyphs under the signing line, a row of print beside the name,
// a rule's remnant. Their colour tells them apart, a piece judged whole (the
// pen's ink joined to print, by their mean). InkColours notes how coloured
// each pixel of the ink is, once, as the picture's rows are read;
// RemoveGreyPrint then reads it piece by piece.
class InkColours {
 public:
  // For the pixels of `ink`, within the box round it. `least`: the grain's
  // faint-ink floor, which a pixel's chroma must reach for its colour to be
  // the ink's rather than the grain's. kOutOfMemory.
  static Result<InkColours> Create(const InkBits& ink, int least);

  // A pixel of the ink: its darkness (white-relative, 0 paper … 255), and
  // the mean colour (white-paper relative blue, green, red) of a few pixels
  // along its row, where a camera's colour fringes beside black print
  // average out.
  void Note(int32_t x, int32_t y, int darkness, const float* mean);

  // What a piece's pixels tell of its colour.
  struct OfPiece {
    size_t showing = 0;     // pixels dark enough to show a hue (kShowsHue)
    size_t out_of_grain = 0;  // those whose chroma reaches the grain's floor
    double saturation = 0;  // their mean saturation (InkHue::SaturationOf), to kSaturationStep
  };
  OfPiece Of(std::span<const InkSpot> piece) const;
  // Whether a pixel's mean colour is of a coloured pen's saturation
  // (kColouredPen), its chroma out of the grain (`least`).
  static bool Coloured(const float* mean, int least);

  // A pixel a quarter of the way to black shows its ink's hue; a lighter
  // one (a light pen, a stroke's blurred edge) may not, and tells nothing.
  static constexpr int kShowsHue = 64;
  static constexpr float kSaturationStep = 0.05f;

 private:
  static constexpr int kLevelPlanes = 3;  // saturation levels 0 … 7, the last 0.35 and up
  PixelRect box_{};
  int least_ = 0;
  InkBits levels_[kLevelPlanes];
  InkBits showing_;
  InkBits out_of_grain_;
};

// A pen's saturation from which it is a coloured one: a blue ballpoint's ink
// measures 0.3–0.5, black ink and print under 0.1, under any light (the
// colours are white-paper relative).
inline constexpr double kColouredPen = 0.25;
// Under this share of Coloured pixels the writing is a black pen's, and
// RemoveGreyPrint need not be called (its pieces need not be walked): a piece
// whose mean saturation reaches kColouredPen has a sixth of its pixels above
// it at least (its levels end at 0.375), such pieces hold half the pixels
// that vote, and the rest of the share is a margin for those of their
// pixels whose chroma stays in the grain.
inline constexpr double kLeastColouredShare = 1.0 / 20;

// Where most of the writing's ink is clearly coloured (a saturation of at
// least kColouredPen, its chroma out of the grain), clears from `ink` every
// piece under kGreyShare of the pen's saturation: print's grey beside a
// blue, violet or green pen. The pen's saturation is the median over the
// pieces, weighted by their pixels showing a hue; a piece is judged only
// when half its pixels show one and it runs at least kLeastExtent stroke
// `width`s (an i-dot keeps too little colour after a JPEG's halved colour
// resolution), and a straight piece (a red margin's remnant, a rule) does
// not vote. A black pen's writing is left as it was. Work: the pieces walked
// once, twice where the pen is coloured. kOutOfMemory.
Result<void> RemoveGreyPrint(InkBits& ink, const InkColours& colours, double width);

}  // namespace quorel
