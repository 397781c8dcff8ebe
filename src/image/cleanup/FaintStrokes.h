// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "common/Result.h"
#include "image/cleanup/DarknessRows.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// Writing too faint to tell from the paper's grain pixel by pixel (a light
// pencil on mottled cream paper, a few percent below it), looked for at a
// stroke's scale. A pixel's signal is its darkness less the mean darkness of
// the square around it a few strokes wide: the paper's mottling, wider than
// that, cancels. Averaged over 3 × 3 pixels, the sensor's noise falls by
// about three while a stroke keeps most of its signal. The spread of that
// average over the paper (its lighter half, which no ink reaches) sets the
// scale: seeds stand six spreads out, faint ink three; faint ink joined to
// a seed is writing, cut at half the largest average within two pixels (the
// halfway rule). Empty when nothing stands out. Memory: a byte a pixel and
// three bit masks. kOutOfMemory.
Result<InkBits> FindFaintStrokes(int32_t width, int32_t height, const DarknessRows& darkness);

}  // namespace quorel
