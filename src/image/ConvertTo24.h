// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include "image/PackedDib.h"

namespace quorel {

// The picture in 24 bits. Takes the picture over: a clean 24-bit picture comes
// back as itself; 1-, 4- and 8-bit pixels become their colour-table entries
// (entries beyond the table black); 32-bit pixels drop their fourth byte. None
// for 16 bits, other depths, compressed rows and damaged pictures.
std::optional<PackedDib> ConvertTo24(PackedDib picture);

}  // namespace quorel
