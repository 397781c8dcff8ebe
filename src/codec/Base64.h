// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quorel {

// Base64 as in RFC 4648 section 4: the standard alphabet, "=" padding to a
// multiple of four characters, no line breaks. None when memory runs out.
std::optional<std::string> EncodeBase64(std::span<const uint8_t> bytes);

}  // namespace quorel
