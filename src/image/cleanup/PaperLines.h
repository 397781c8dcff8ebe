// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

#include <array>
#include <vector>

namespace quorel {

struct PaperLine {
  double slope;   // across per along
  double top;     // the band's first offset at along = 0, full-size pixels
  double bottom;  // one past its last
  bool heavy = false;  // thicker than a rule on a close-up: a form's box or signing line
  // Its ink's longest stretch along with no gap over a few cells (all of it
  // when it runs from side to side of the picture), full-size pixels; empty
  // (begin == end) when under 30 % of its length.
  double begin = 0;
  double end = 0;
};

// The lines of ruled, squared or legal-pad paper and margin lines: long,
// thin, straight structures, up to 8 degrees off the rows or the columns (15
// where they are the sheet's: at right angles to a line across them, or in
// the fan of a sheet in perspective), that run across most of the picture,
// unbroken for a while or with no wide gap (a name's straight strokes may
// line up across its letters). Two thin rules past a clear gap (a legal
// pad's double margin, at any size) are one line.
// Found once, in a mask of ink of any colour, and then cleared from the
// masks made after it. A line a little thicker (a close-up's blurred rule),
// or heavier still (a form's box or signing line), counts only when even in
// thickness all along, unlike a pen stroke of that width. A form's frame
// (a box's side, which ends at the box's corners) runs over less of the
// picture: a line over 30 % of it (up to 15 degrees off, a box in
// perspective; a thicker one even along 40 % of it) counts when one of its
// ends and one of a line found meet at a box's corner, or both its ends lie
// on lines found or one on the picture's border (a table's divider, a box
// cut by the photo), or it runs from border to border and a line found ends
// on it; and the sheet holds few unbroken lines (rows of print, found as
// broken lines, are no ruling).
class PaperLines {
 public:
  // `thick`: also rules thicker than a thin line's limit, even along their
  // length. `boxes` (with `thick`): also a box drawn round the name, two
  // shorter lines of a direction whose ends ink joins straight across at
  // both ends, with those sides (too short to be found as lines), and the
  // straight shorter lines for ClearPrinted, and no broken line along a
  // name's baseline; not for a seal, whose square frame is such a box (and
  // the print under it, joined by its ink, such a baseline). Memory: the
  // mask reduced to about a thousand pixels across (and to a half and a
  // quarter of that) and one count per angle and offset. kOutOfMemory.
  static Result<PaperLines> Find(const InkBits& ink, bool thick = true, bool boxes = false);

  bool empty() const { return rows_.empty() && columns_.empty(); }
  // Whether any line near the rows was found, or a printed one kept.
  bool AnyNearTheRows() const { return !rows_.empty() || !printed_.empty(); }
  bool AnyPrinted() const { return !printed_.empty(); }
  // How many shorter lines ClearPrinted may clear.
  size_t PrintedCount() const { return printed_.size(); }

  // The lines of `faint` that none of these meets and that are light: under
  // a kStrongShare-th of their pixels in `strong` (rows of writing are strong
  // ink), and run across most of the picture (a pencil's underline does
  // not). Light lines, and those of a curled sheet, that the first mask (cut
  // higher) broke up run whole in ink down to the faint floor. And the
  // steeper thin lines the first look could not place that cross three rules
  // of either look (a margin, across light rules in perspective). Memory: as
  // Find. kOutOfMemory.
  Result<PaperLines> Others(const InkBits& faint, const InkBits& strong) const;

  // These lines less those mostly of `own` ink (within `all`): over half of
  // their pixels in `all` are in `own` (a square seal's frame, all of the
  // seal's hue, where print's rule under a seal is of the seal's hue only
  // where the two meet).
  PaperLines NotMostlyOf(const InkBits& all, const InkBits& own) const;

  // Clears the lines from `found` (the ink wanted) and `strong` (the darker
  // ink). Where a pen crosses or meets a line (ink lies just beside it) or
  // runs along it (the ink across the line is wider than the line's own)
  // its pixels stay: for a line lighter than the pen, the pixels of
  // `strong`, for a line as dark as the pen, all of them. `found` and
  // `strong` may be one mask. A heavy line lighter than the pen stays whole.
  // Memory: one mask. kOutOfMemory.
  Result<void> Clear(InkBits& found, InkBits& strong) const;

  // Clears from `ink` (the writing found) a form's printed line left alone
  // (a signing line): a shorter line near the rows, found with `boxes`,
  // straight to the pixel, that runs under the whole writing. Only then, so
  // that the measures taken of the ink before are as without the look.
  // kOutOfMemory.
  Result<void> ClearPrinted(InkBits& ink) const;
  // Whether a line near the rows, found or printed, runs under `box`
  // (full-size pixels) at its middle column: the line's band begins below
  // the box's middle and at most `reach` below its bottom, and its ink
  // reaches the box's columns.
  bool RunsUnder(const PixelRect& box, int32_t reach) const;
  // Clears every pixel of `ink` within `reach` of a line's band, whatever
  // lies beside it; with `printed`, also of the straight shorter lines kept
  // for ClearPrinted, along their ink.
  void ClearNear(InkBits& ink, int32_t reach, bool printed = false) const;

  // The share of the picture (`width` × `height`) within `reach` of a line's
  // band, across the lines of the direction that reach most of it, read at
  // the picture's middle.
  double NearShare(int32_t reach, int32_t width, int32_t height) const;

 private:
  // Find, for lines whose ink runs from end to end over at least
  // `least_span` of their length inside the picture.
  static Result<PaperLines> Search(const InkBits& ink, bool thick, double least_span, bool boxes);

  std::vector<PaperLine> rows_;     // near the rows
  std::vector<PaperLine> columns_;  // near the columns, rows and columns swapped
  std::vector<PaperLine> printed_;  // ClearPrinted's
  // Steeper lines over most of the picture that the first look could not
  // place on the sheet, by direction (Others places them).
  std::array<std::vector<PaperLine>, 2> steep_;
};

}  // namespace quorel
