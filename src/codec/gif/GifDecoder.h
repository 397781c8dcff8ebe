// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "codec/Decoded.h"
#include "common/Result.h"

namespace quorel {

// The first image of a GIF file as an 8-bit picture carrying the image's colour
// table (biClrUsed = 2^b). Codes: kCannotOpen (cannot be read, 10 bytes or
// shorter, or a colour table or image descriptor running past the data),
// kUnsupported (signature), kOutOfMemory, kTooLarge and the kGif* codes. Image
// data that ends before the last pixel keeps the rows decoded before it
// (the rest colour-table entry 0) and reports the picture incomplete.
Result<Decoded> ReadGifFile(const std::filesystem::path& path);
// The same over bytes already in memory.
Result<Decoded> ReadGifBytes(std::span<const uint8_t> bytes);
// A non-interlaced image's rows in 24 bits, top row first, into a sink;
// kUnsupported for an interlaced one (before the sink is begun).
Result<DecodedRows> ReadGifFileRows(const std::filesystem::path& path, RowSink& sink);

}  // namespace quorel
