// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

// A photo of ink on paper made to look scanned, at the same size: the light
// evened out, the paper white, the ink found by its difference from the
// local paper colour in any channel (so a red seal counts as much as a dark
// pen), specks under half a pen width squared removed. Ink keeps its hue at
// one depth (red + green + blue = kInkDepth) with a shaded edge; the
// two-level reduction's halfway threshold then falls in the gap between ink
// (at least 55 % of the way from white to its colour) and its shading (at
// most 45 %). kBadInput for a picture that is not 24-bit; allocation statuses.
Result<PackedDib> EvenOutPhoto(const PackedDib& picture);

// The same cut to the ink and its margin (what TrimMargins would leave of
// EvenOutPhoto's picture), made without the full-size picture.
Result<PackedDib> CleanPhoto(const PackedDib& picture);

inline constexpr int kInkDepth = 150;

}  // namespace quorel
