// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace quorel {

using ByteBuffer = std::vector<uint8_t>;

// A zero-filled buffer of `size` bytes, or none when memory runs out. The core
// reports memory exhaustion as a result, never as an exception.
std::optional<ByteBuffer> AllocateZeroed(uint64_t size);

}  // namespace quorel
