// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/Colour.h"

namespace quorel {

inline constexpr std::string_view kBlackPageStart = "<html><body bgcolor=#000000>";
inline constexpr std::string_view kBlackPageEnd = "</body></html>";

// A light signature (it takes part and red + green + blue is above 128) gets a
// black page; the seal colour never counts.
bool NeedsBlackPage(int32_t option_bits, Colour signature_colour);

// The preview page: the snippet inside the black page when needed, else the
// bare snippet.
std::string MakePreviewPage(std::string_view snippet, int32_t option_bits,
                            Colour signature_colour);

// Creates or truncates the file and writes exactly the text (no byte-order
// mark, no line end). False when the file cannot be opened or written.
bool WriteTextFile(std::string_view text, const std::filesystem::path& path);

}  // namespace quorel
