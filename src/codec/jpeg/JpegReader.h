// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "codec/Decoded.h"
#include "common/Result.h"
#include "image/RowSink.h"

namespace quorel {

// A JPEG file as a 24-bit picture (bottom-up, blue-green-red; grey repeated in
// all three bytes). Codes: kCannotOpen (cannot be read, or 4 bytes or
// shorter), kOutOfMemory, kJpegColourSpace (CMYK, YCCK and other component
// counts), kJpegCoding (arithmetic-coded, lossless, hierarchical or 12-bit
// data), kTooLarge, kJpegLibrary (anything else the library refuses). The
// picture is turned upright by its Exif orientation; a damaged Exif block is
// ignored. Data that ends before the end-of-image marker keeps what the
// library decoded and reports the picture incomplete.
Result<Decoded> ReadJpegFile(const std::filesystem::path& path);
// The same over bytes already in memory.
Result<Decoded> ReadJpegBytes(std::span<const uint8_t> bytes);
// The same rows, top row first, into a sink.
Result<DecodedRows> ReadJpegFileRows(const std::filesystem::path& path, RowSink& sink);
Result<DecodedRows> ReadJpegBytesRows(std::span<const uint8_t> bytes, RowSink& sink);

// The JFIF density a whole picture's header carries (biXPelsPerMeter,
// biYPelsPerMeter of the picture as stored, before it is turned upright);
// 0 and 0 without one.
struct JpegPixelDensity {
  uint32_t x_per_metre = 0;
  uint32_t y_per_metre = 0;
};
// The same rows with that density, for a caller that builds the whole
// picture from them.
Result<DecodedRows> ReadJpegFileRows(const std::filesystem::path& path, RowSink& sink, JpegPixelDensity& density);

}  // namespace quorel
