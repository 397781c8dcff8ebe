// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "codec/Decoded.h"
#include "codec/gif/GifRowSink.h"
#include "common/Result.h"

namespace quorel {

// Decodes one image's data (`data` starts at its minimum code size byte and
// runs to the end of the file) into the rows of a sink. A stream
// that ends early or breaks off keeps the rows decoded so far and reports the
// picture incomplete; kGifBadCodeSize, kGifBadCodeAfterClear,
// kGifBadPrefixKnown and kGifBadPrefixUnknown refuse the picture.
Result<DecodedRows> DecodeGifRaster(std::span<const uint8_t> data, GifRowSink& sink);

}  // namespace quorel
