// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "common/Result.h"

namespace quorel {

// Base64 as in RFC 4648 section 4: the standard alphabet, "=" padding to a
// multiple of four characters, no line breaks. kOutOfMemory when memory runs
// out.
Result<std::string> EncodeBase64(std::span<const uint8_t> bytes);

}  // namespace quorel
