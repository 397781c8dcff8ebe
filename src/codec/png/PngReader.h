// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "common/Result.h"
#include "image/PackedDib.h"
#include "image/RowSink.h"

namespace quorel {

// A PNG file of any colour type and depth as a 24-bit picture (bottom-up,
// blue-green-red): palettes and grey expanded, 16-bit samples reduced to 8,
// transparency composited over white. Codes: kCannotOpen, kOutOfMemory,
// kTooLarge, kPngLibrary (anything libpng refuses: bad signature, CRC,
// truncated data).
Result<PackedDib> ReadPngFile(const std::filesystem::path& path);
// The same over bytes already in memory.
Result<PackedDib> ReadPngBytes(std::span<const uint8_t> bytes);
// The same rows into a sink (top-down unless the file is interlaced).
Result<void> ReadPngFileRows(const std::filesystem::path& path, RowSink& sink);

}  // namespace quorel
