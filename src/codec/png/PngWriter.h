// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <span>
#include <vector>

#include "common/Colour.h"
#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

// How the PNG stores one ink colour under varying transparency.
enum class PngLayout {
  kIndexedSteps,  // 4-bit palette: 16 alpha steps 0, 17, ..., 255 in a tRNS table
  kIndexedFull,   // 8-bit palette: one entry per alpha level in use
  kGreyAlpha,     // 8-bit grey + alpha; only for a grey ink
  kRgba,          // 8-bit red, green, blue, alpha
};

// NOTE: the smallest layout for scaled signatures by measurement (the bench's
// PNG_LAYOUT lines): the 16-step palette is 18-36 % smaller than grey + alpha
// and 27-45 % smaller than RGBA; a full palette is 3 % smaller only on a
// hard-edged picture with few levels, and over twice as large on a camera
// picture, whose paper grain leaves many.
inline constexpr PngLayout kCoveragePngLayout = PngLayout::kIndexedSteps;

// A PNG file's bytes from a coverage picture (8 bits, index = alpha, as made
// by MeasureCoverage): every pixel has the ink's colour, the coverage becomes
// its alpha; no matte colour, no gamma, no other chunk. kUnsupported for
// another depth or kGreyAlpha with a coloured ink, kBadInput for a damaged
// picture, kPngLibrary or kOutOfMemory when writing fails.
Result<std::vector<uint8_t>> EncodeCoveragePng(const PackedDib& coverage, Colour ink,
                                               PngLayout layout = kCoveragePngLayout);

// A PNG file's bytes from 8-bit red, green, blue, alpha pixels (not
// premultiplied), top row first. kBadInput when the sizes do not match the
// pixels, kPngLibrary or kOutOfMemory when writing fails.
Result<std::vector<uint8_t>> EncodeRgbaPng(int32_t width, int32_t height, std::span<const uint8_t> rgba);

}  // namespace quorel
