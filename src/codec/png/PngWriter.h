// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <span>

#include "common/Buffer.h"
#include "common/Colour.h"
#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

// A PNG file's bytes from a coverage picture (8 bits, index = alpha, as made
// by MeasureCoverage): every pixel has the ink's colour, the coverage becomes
// its alpha in 16 steps (0, 17, …, 255), stored as a palette whose entries are
// all the ink, one for each step the picture uses (1, 2 or 4 bits a pixel),
// with their alphas in a tRNS table; rows unfiltered or up-filtered, whichever
// file is smaller; no matte colour, no gamma, no other chunk. NOTE: the
// smallest layout by measurement: a palette 18-36 % smaller than grey + alpha
// and 27-45 % smaller than RGBA on scaled signatures; a full palette
// was 3 % smaller only on a hard-edged picture with few levels, and over
// twice as large on a camera picture, whose paper grain leaves many. Pictures
// above 2 megapixels keep all sixteen entries, unfiltered (one pass).
// kUnsupported for another depth, kBadInput for a damaged picture,
// kPngLibrary or kOutOfMemory when writing fails.
Result<ByteBuffer> EncodeCoveragePng(const PackedDib& coverage, Colour ink);

// Fills the coverage of top-down row y (index = alpha, as above), one byte a
// pixel; asked for each row up to three times.
using CoverageRowSource = std::function<void(int32_t y, std::span<uint8_t> alpha)>;

// The same file from coverage made a row at a time, so that no coverage
// picture is held: for a picture too large to hold one beside it.
// kBadInput for an empty size.
Result<ByteBuffer> EncodeCoveragePng(int32_t width, int32_t height, Colour ink,
                                     const CoverageRowSource& rows);

// A PNG file's bytes from 8-bit red, green, blue, alpha pixels (not
// premultiplied), top row first. kBadInput when the sizes do not match the
// pixels, kPngLibrary or kOutOfMemory when writing fails.
Result<ByteBuffer> EncodeRgbaPng(int32_t width, int32_t height, std::span<const uint8_t> rgba);

}  // namespace quorel
