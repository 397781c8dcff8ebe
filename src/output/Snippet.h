// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/Colour.h"
#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

struct OutputState;

inline constexpr std::string_view kImageTagStart = "<img src=\"data:image/gif;base64,";
inline constexpr std::string_view kImageTagEnd = "\">";
inline constexpr std::string_view kDivClose = "</div>";
std::string_view DivOpen(int32_t option_bits);  // by the alignment bits, right winning

// The picture (owned by the caller, not changed) reduced to two levels in the
// given colours, written as "$image.gif" in `gif_folder` with the background
// transparent, read back and wrapped as an image tag.
Result<std::string> MakeImageTag(const PackedDib& picture, Colour ink, Colour background,
                                 const std::filesystem::path& gif_folder);

// Signature tag first (when bit 1 is set), then the seal tag (bit 2), inside
// one alignment block; each tag's GIF goes through "$image.gif" in
// `gif_folder`. A panel that takes part without a picture, or whose tag cannot
// be made whole, fails the whole snippet with kSignatureFailed or kSealFailed
// (the seal is not tried after a signature failure); kOutOfMemory when the
// block itself cannot be put together.
Result<std::string> BuildSnippet(const OutputState& state, const std::filesystem::path& gif_folder);

}  // namespace quorel
