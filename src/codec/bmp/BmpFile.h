// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <span>

#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

// A BMP file (or a bare packed DIB) as a picture: kCannotOpen, kUnsupported,
// kOutOfMemory, kTooLarge on failure.
Result<PackedDib> ReadBmpFile(const std::filesystem::path& path);
// The same over bytes already in memory (fuzzing, the clipboard's image/bmp).
Result<PackedDib> ReadBmpBytes(std::span<const uint8_t> bytes);

// Stores a picture with a 40-byte header (1, 4, 8, 24 or 32 bits) as a BMP
// file; rewrites the picture's biSizeImage. kUnsupported for other depths (no
// file is created), kBadInput for a damaged picture, kCannotOpen for a file
// that cannot be written (errno says why). The file is replaced whole, never
// rewritten in place: a crash or a full disk leaves the old one.
Result<void> WriteBmpFile(PackedDib& picture, const std::filesystem::path& path);

}  // namespace quorel
