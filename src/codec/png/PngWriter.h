// Quorel — SPDX-License-Identifier: MIT
#pragma once

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

// NOTE: the smallest layout for signatures and seals by measurement (bench
// png_layout_* lines): the 16-step palette is about half the size of the
// grey + alpha or RGBA file and a third smaller than the full palette.
inline constexpr PngLayout kCoveragePngLayout = PngLayout::kIndexedSteps;

// A PNG file's bytes from a coverage picture (8 bits, index = alpha, as made
// by MeasureCoverage): every pixel has the ink's colour, the coverage becomes
// its alpha; no matte colour, no gamma, no other chunk. kUnsupported for
// another depth or kGreyAlpha with a coloured ink, kBadInput for a damaged
// picture, kPngLibrary or kOutOfMemory when writing fails.
Result<std::vector<uint8_t>> EncodeCoveragePng(const PackedDib& coverage, Colour ink,
                                               PngLayout layout = kCoveragePngLayout);

}  // namespace quorel
