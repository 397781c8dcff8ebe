// Quorel — SPDX-License-Identifier: MIT
#include "common/ByteBuffer.h"

#include <limits>

namespace quorel {

Result<ByteBuffer> AllocateZeroed(uint64_t size) {
  if (size > std::numeric_limits<size_t>::max() / 2) return Status::kOutOfMemory;
  return ByteBuffer::Filled(static_cast<size_t>(size));
}

}  // namespace quorel
