// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "codec/gif/GifCursor.h"
#include "common/Result.h"
#include "image/DibLayout.h"

namespace quorel {

// Decodes the image data at the cursor (the minimum code size byte and the
// data sub-blocks) into the rows of an 8-bit picture. A stream that ends
// early, or breaks off, leaves the rows decoded so far; kGifBadCodeSize,
// kGifBadCodeAfterClear, kGifBadPrefixKnown and kGifBadPrefixUnknown refuse
// the picture.
Result<void> DecodeGifRaster(GifCursor& cursor, const DibRows& rows, bool interlaced);

}  // namespace quorel
