// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorel {

// NOTE: an alt text longer than this many characters is cut (at a character
// boundary): a screen reader reads a name, not a letter, and the block must
// stay far below the 10,000 characters some editors take.
inline constexpr size_t kMaxAltCharacters = 200;

// The characters of UTF-8 text; a byte that does not start a well-formed,
// shortest sequence of a valid code point becomes U+FFFD.
std::u32string DecodeUtf8(std::string_view utf8);
std::string EncodeUtf8(std::u32string_view text);

// UTF-8 text as the value of a double-quoted HTML attribute, in plain ASCII:
// " & ' < > become references, every character beyond ASCII a numeric
// reference (&#20316;), so the block keeps the first design's ASCII bytes;
// control characters become blanks. At most `max_characters` are kept.
std::string HtmlAttributeText(std::string_view utf8, size_t max_characters = SIZE_MAX);

}  // namespace quorel
