// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "image/PackedDib.h"

namespace quorel {

// Paints every pixel of a 24-bit picture in one colour; padding is left alone.
// Other depths and damaged pictures are left as they are.
void FillDib(PackedDib& dib, Bgr colour);

}  // namespace quorel
