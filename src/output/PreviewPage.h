// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/Colour.h"
#include "common/Result.h"
#include "common/Text.h"
#include "output/OutputStyle.h"

namespace quorel {

inline constexpr std::string_view kBlackPageStart = "<html><body bgcolor=#000000>";
inline constexpr std::string_view kBlackPageEnd = "</body></html>";
// The page for a smooth or dense mark: the snippet on a light and on a dark
// background side by side, halves of the window.
inline constexpr std::string_view kTwoBackgroundsStart =
    "<html><body><table width=100% cellspacing=0 cellpadding=16><tr><td width=50% bgcolor=#ffffff>";
inline constexpr std::string_view kTwoBackgroundsMiddle = "</td><td width=50% bgcolor=#000000>";
inline constexpr std::string_view kTwoBackgroundsEnd = "</td></tr></table></body></html>";

// A light signature (it takes part and red + green + blue is above 128) gets a
// black page; the seal colour never counts.
bool NeedsBlackPage(int32_t option_bits, Colour signature_colour);

// The preview page: with the default style, the snippet inside the black page
// when needed, else the bare snippet; with PNG or 2×, the snippet on both
// backgrounds. kOutOfMemory when it cannot be made whole.
Result<Text> MakePreviewPage(std::string_view snippet, int32_t option_bits,
                             Colour signature_colour, const OutputStyle& style = {});

// Writes exactly the text (no byte-order mark, no line end) to a temporary
// file beside `path` and renames it over: an interrupted or failed write
// leaves the old file as it was. kCannotOpen on failure, errno at the cause.
Result<void> WriteTextFile(std::string_view text, const std::filesystem::path& path);

}  // namespace quorel
