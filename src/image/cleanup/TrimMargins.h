// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/CopyIntoRect.h"
#include "image/PackedDib.h"

namespace quorel {

// The part of a 24-bit picture that holds its ink, with a margin of 2 % of
// the ink's larger side (at least 2 pixels) where the picture has room. Ink
// is what the two-level reduction makes ink: red + green + blue at most
// halfway between the darkest and the brightest pixel. The whole picture when
// it is of one colour. kBadInput for a picture that is not 24-bit.
Result<PixelRect> FindInkRect(const PackedDib& picture);

// The ink's rectangle grown by that margin, inside a picture of width × height.
PixelRect WithMargin(const PixelRect& ink, int32_t width, int32_t height);

// The picture cut to FindInkRect; an exact copy when nothing is cut.
Result<PackedDib> TrimMargins(const PackedDib& picture);

}  // namespace quorel
