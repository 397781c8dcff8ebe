// Quorel — SPDX-License-Identifier: MIT
#include "common/ByteBuffer.h"

#include <limits>
#include <new>
#include <stdexcept>

namespace quorel {

std::optional<ByteBuffer> AllocateZeroed(uint64_t size) {
  if (size > std::numeric_limits<size_t>::max() / 2) return std::nullopt;
  try {
    return ByteBuffer(static_cast<size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  } catch (const std::length_error&) {
    return std::nullopt;
  }
}

}  // namespace quorel
