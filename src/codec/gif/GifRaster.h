// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "codec/ChunkedInput.h"
#include "codec/Decoded.h"
#include "codec/gif/GifRowSink.h"
#include "common/Result.h"

namespace quorel {

// Decodes one image's data (`data` is read from its minimum code size byte
// on, at most to the end of the file) into the rows of a sink. A stream
// that ends early or breaks off keeps the rows decoded so far and reports the
// picture incomplete; kGifBadCodeSize, kGifBadCodeAfterClear,
// kGifBadPrefixKnown and kGifBadPrefixUnknown refuse the picture.
Result<DecodedRows> DecodeGifRaster(ChunkedInput& data, GifRowSink& sink);

}  // namespace quorel
