// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "codec/Decoded.h"
#include "common/Result.h"
#include "image/RowSink.h"

namespace quorel {

// A PNG file of any colour type and depth as a 24-bit picture (bottom-up,
// blue-green-red): palettes and grey expanded, 16-bit samples reduced to 8,
// transparency composited over white. Codes: kCannotOpen, kOutOfMemory,
// kTooLarge, kPngLibrary (anything libpng refuses: bad signature, CRC,
// truncated data). A file whose rows are all there but whose end is damaged or
// missing keeps its picture, complete.
Result<Decoded> ReadPngFile(const std::filesystem::path& path);
// The same over bytes already in memory.
Result<Decoded> ReadPngBytes(std::span<const uint8_t> bytes);
// The same rows into a sink (top-down unless the file is interlaced).
Result<DecodedRows> ReadPngFileRows(const std::filesystem::path& path, RowSink& sink);
Result<DecodedRows> ReadPngBytesRows(std::span<const uint8_t> bytes, RowSink& sink);

}  // namespace quorel
