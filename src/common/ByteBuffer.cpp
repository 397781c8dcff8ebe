// Quorel — SPDX-License-Identifier: MIT
#include "common/ByteBuffer.h"

#include <limits>

#include "common/Allocation.h"

namespace quorel {

Result<ByteBuffer> AllocateZeroed(uint64_t size) {
  if (size > std::numeric_limits<size_t>::max() / 2) return Status::kOutOfMemory;
  return GuardAllocation([&] { return ByteBuffer(static_cast<size_t>(size), 0); });
}

}  // namespace quorel
