// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string_view>

#include "common/Colour.h"
#include "common/Result.h"

namespace quorel {

class IniStore;

// The panels' ink colours in section "Quorel" (0x00BBGGRR as decimal). The
// desktop program writes them when an output runs, as it does the check boxes.
inline constexpr std::string_view kSignatureColourKey = "QuorelColor";
inline constexpr std::string_view kSealColourKey = "IneiColor";

// Signature first, then seal; the defaults black and red where a key is absent.
std::array<Colour, 2> ReadInkColours(const IniStore& store);
Result<void> WriteInkColours(const IniStore& store, const std::array<Colour, 2>& inks);

}  // namespace quorel
