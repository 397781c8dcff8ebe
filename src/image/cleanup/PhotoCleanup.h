// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/CopyIntoRect.h"
#include "image/PackedDib.h"

namespace quorel {

// Which ink a panel takes from a photo.
enum class InkWanted {
  kAny,      // every ink, whatever its colour
  kWriting,  // a signature of any hue: every ink, less what is no writing (a form's print, a hard shadow)
  kPen,      // a signature: dark or blue pen; a red seal's ink is paper
  kSeal,  // a seal: ink of the seal's hue (red unless the photo shows another); print under it is paper
};

struct CleanedPhoto {
  // The cleaned part of the photo (ink and its margin, the paper white), or
  // one white pixel when no ink was found.
  PackedDib picture;
  PixelRect rect;  // where `picture` lies in the photo; empty without ink
  bool ink_found = false;
};

// A photo of ink on paper made to look scanned: the light evened out, the
// paper white, lines of ruled or squared paper and shadows taken for paper,
// the ink found by its difference from the local paper colour (faint pixels
// joined to strong ones count), specks removed; then cut to the ink and its
// margin (as TrimMargins does). Ink keeps its hue at one depth (red + green +
// blue = kInkDepth) with a shaded edge; the two-level reduction's halfway
// threshold then falls in the gap between ink (at least 55 % of the way from
// white to its colour) and its shading (at most 45 %). kBadInput for a
// picture that is not 24-bit; kOutOfMemory.
Result<CleanedPhoto> CleanPhoto(const PackedDib& picture, InkWanted wanted = InkWanted::kAny);

inline constexpr int kInkDepth = 150;

}  // namespace quorel
