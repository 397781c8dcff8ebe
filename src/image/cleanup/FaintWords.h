// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// Writing too faint to hold a single strong pixel (a word under a flash's
// glare, a word pencilled more lightly than the rest): a piece of faint ink
// joined to no strong ink is writing too when it is as large as a part of
// the picture's own words — kWordShare of the median piece of strong ink,
// and at least kLeastWordPerPen² stroke widths squared (of kSpeckPen beside
// a finer pen: heavy noise's clumps are as large) — and not a straight
// band (what is left of a rule, the picture's edge): its pixels spread at
// least a stroke width across its main axis. A word whose strokes lie apart
// (a kanji's, broken where the faint ink is lightest) is told the same way
// over its pieces of a stroke's size within a stroke of each other, as long
// as it is at most four times as long as it spreads across (a soft shadow's
// edge in pieces is longer); not beside a pen of a speck's width, where
// heavy noise's specks would group as well. Such pieces are added to
// `strong`, grown through `faint`. Memory: up to six bit masks and the walk's
// front. kOutOfMemory.
Result<void> AddFaintWords(InkBits& strong, const InkBits& faint, double pen);

}  // namespace quorel
