// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>

namespace quorel {

// The darkness of the pixels from..to − 1 of row y (0 for ink of a hue not
// wanted), the first at [0]: darkness(y, from, to). The pointer may be reused
// by the next call.
using DarknessRows = std::function<const uint8_t*(int32_t y, int32_t from, int32_t to)>;

}  // namespace quorel
