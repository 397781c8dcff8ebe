// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "common/Buffer.h"
#include "common/Result.h"

namespace quorel {

// A zero-filled buffer of `size` bytes; kOutOfMemory when memory runs out.
Result<ByteBuffer> AllocateZeroed(uint64_t size);

}  // namespace quorel
