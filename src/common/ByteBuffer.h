// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "common/Result.h"

namespace quorel {

using ByteBuffer = std::vector<uint8_t>;

// A zero-filled buffer of `size` bytes; kOutOfMemory when memory runs out.
Result<ByteBuffer> AllocateZeroed(uint64_t size);

}  // namespace quorel
