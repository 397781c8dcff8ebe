// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstdlib>

#include "codec/Decoded.h"
#include "common/Result.h"
#include "image/DibLayout.h"
#include "image/PackedDib.h"

namespace quorel::fuzz {

// A picture a reader returns must describe only bytes inside its block, and
// its rows are read here (all of them for ordinary sizes, a sample of large
// pictures to keep the fuzzer fast), so the sanitizers see any stale or
// foreign byte. Anything else is a reader fault: abort, and the fuzzer keeps
// the input.
inline void CheckPicture(const Result<Decoded>& result) {
  if (!result) {
    if (result.code() >= 0) std::abort();
    return;
  }
  const PackedDib& picture = result->picture;
  const auto rows = ConstDibRows::Of(picture);
  if (!rows) std::abort();
  const int32_t height = rows->height();
  unsigned sum = 0;
  const bool large = picture.BlockSize() > (size_t{1} << 22);
  const int32_t step = large ? height / 16 + 1 : 1;
  for (int32_t y = 0; y < height; y += step) {
    for (uint8_t byte : rows->StoredRow(y)) sum += byte;
  }
  for (uint8_t byte : rows->StoredRow(height - 1)) sum += byte;
  // Keep the loop from being optimised away.
  volatile unsigned sink = sum;
  (void)sink;
}

}  // namespace quorel::fuzz
