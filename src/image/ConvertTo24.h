// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/DibLayout.h"
#include "image/PackedDib.h"

namespace quorel {

// The picture in 24 bits. Takes the picture over: a clean 24-bit picture comes
// back as itself; 1-, 4- and 8-bit pixels become their colour-table entries
// (entries beyond the table black); 24-bit pixels behind a colour table lose
// the table; 32-bit pixels drop their fourth byte. kUnsupported for 16 bits,
// other depths and compressed rows, kBadInput for damaged pictures.
Result<PackedDib> ConvertTo24(PackedDib picture);
// Whether ConvertTo24 gives the picture back as itself.
bool ConvertsAsItself(const PackedDib& picture);

// One row of pixels of a 1-, 4-, 8-, 24- or 32-bit picture as blue-green-red
// (the depth's layout, the colour table for indexes).
void RowTo24(std::span<const uint8_t> row, int bit_count, const ConstDibRows& table,
             std::span<uint8_t> out);

}  // namespace quorel
