// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string_view>

#include "common/Colour.h"

namespace quorel {

class IniStore;

// The panels' ink colours in section "Quorel" (0x00BBGGRR as decimal). They
// are only read: the program never writes them back.
inline constexpr std::string_view kSignatureColourKey = "QuorelColor";
inline constexpr std::string_view kSealColourKey = "IneiColor";

// Signature first, then seal; the defaults black and red where a key is absent.
std::array<Colour, 2> ReadInkColours(const IniStore& store);

}  // namespace quorel
