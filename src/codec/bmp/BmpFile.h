// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <span>

#include "codec/Decoded.h"
#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

// A BMP file (or a bare packed DIB) as a picture: kCannotOpen, kUnsupported,
// kOutOfMemory, kTooLarge on failure; a picture read is always complete.
Result<Decoded> ReadBmpFile(const std::filesystem::path& path);
// The same over bytes already in memory (fuzzing, the clipboard's image/bmp).
Result<Decoded> ReadBmpBytes(std::span<const uint8_t> bytes);
// The rows in 24 bits, top row first, into a sink, read by chunks and never
// the whole file; kUnsupported (before the sink is begun) for a file with an
// alpha mask.
Result<DecodedRows> ReadBmpFileRows(const std::filesystem::path& path, RowSink& sink);

// Stores a picture with a 40-byte header (1, 4, 8, 24 or 32 bits) as a BMP
// file, its biSizeImage made right in the file. kUnsupported for other depths (no
// file is created), kBadInput for a damaged picture, kCannotOpen for a file
// that cannot be written (errno says why). The file is replaced whole, never
// rewritten in place: a crash or a full disk leaves the old one.
Result<void> WriteBmpFile(const PackedDib& picture, const std::filesystem::path& path);

}  // namespace quorel
