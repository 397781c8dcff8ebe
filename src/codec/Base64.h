// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "common/Result.h"
#include "common/Text.h"

namespace quorel {

// Base64 as in RFC 4648 section 4: the standard alphabet, "=" padding to a
// multiple of four characters, no line breaks. kOutOfMemory when memory runs
// out.
Result<Text> EncodeBase64(std::span<const uint8_t> bytes);
// The same at the end of `text`.
Result<void> AppendBase64(std::span<const uint8_t> bytes, Text& text);

}  // namespace quorel
