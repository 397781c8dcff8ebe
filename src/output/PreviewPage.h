// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/Colour.h"
#include "common/Result.h"

namespace quorel {

inline constexpr std::string_view kBlackPageStart = "<html><body bgcolor=#000000>";
inline constexpr std::string_view kBlackPageEnd = "</body></html>";

// A light signature (it takes part and red + green + blue is above 128) gets a
// black page; the seal colour never counts.
bool NeedsBlackPage(int32_t option_bits, Colour signature_colour);

// The preview page: the snippet inside the black page when needed, else the
// bare snippet; kOutOfMemory when it cannot be made whole.
Result<std::string> MakePreviewPage(std::string_view snippet, int32_t option_bits,
                                    Colour signature_colour);

// Creates or truncates the file and writes exactly the text (no byte-order
// mark, no line end). kCannotOpen when the file cannot be opened or written.
Result<void> WriteTextFile(std::string_view text, const std::filesystem::path& path);

}  // namespace quorel
