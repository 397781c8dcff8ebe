// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/Colour.h"

namespace quorel {

// A colour sample as text: exactly six hexadecimal digits (either case), red,
// green, blue. Anything else — a leading "#", five digits, a trailing blank —
// is not a colour text.
std::optional<Colour> ParseColourText(std::string_view text);

// Six lower-case digits red, green, blue.
std::string FormatColourText(Colour colour);

}  // namespace quorel
