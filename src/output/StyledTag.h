// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/Colour.h"
#include "common/Result.h"
#include "image/PackedDib.h"
#include "output/OutputStyle.h"
#include "panel/ScaleSettings.h"

namespace quorel {

inline constexpr std::string_view kPngTagStart = "<img src=\"data:image/png;base64,";

struct PictureSize {
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const PictureSize&) const = default;
};

// The size a picture is made at for an output size: at 2× twice the output
// size, but each side no larger than the source's, nor smaller than the
// output's (an enlarged picture stays at 1×).
PictureSize MadeSize(const OutputSizeResult& output, int32_t source_width, int32_t source_height,
                     OutputDensity density);

// One picture's image tag in any style: scaled to its made size when a scale
// setting applies (else the picture itself, at any density), then a
// two-level GIF (through "$image.gif" in `gif_folder`) or a coverage PNG. A
// picture made larger than its output size carries the output size as
// `width` and `height`, so the page lays it out as at 1×.
Result<std::string> MakeStyledTag(const PackedDib& picture, const OutputSizeResult& output, Colour ink,
                                  const OutputStyle& style, const std::filesystem::path& gif_folder);

// The PNG image tag of a picture at its own size.
Result<std::string> MakePngImageTag(const PackedDib& picture, Colour ink);

}  // namespace quorel
