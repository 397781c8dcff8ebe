// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

// A new 24-bit picture of width × height made from a 24-bit source (rows found
// behind its colour table). When the source is at most twice as wide as the
// target the pixels are interpolated, otherwise box-averaged; only the
// horizontal ratio decides. kUnsupported for another depth, kBadInput for a
// damaged source or a side below 1.
Result<PackedDib> Resample(const PackedDib& source, int32_t width, int32_t height);

}  // namespace quorel
