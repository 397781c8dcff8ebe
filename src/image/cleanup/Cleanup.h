// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string_view>

#include "common/Result.h"
#include "image/PackedDib.h"
#include "image/cleanup/PhotoCleanup.h"

namespace quorel {

// How a panel's picture is cleaned before the output: the numbers are those
// stored in wq.ini.
enum class CleanupLevel : int {
  kNone = 0,   // as imported: today's output
  kTrim = 1,   // white margins cut away
  kPhoto = 2,  // a photo evened out and cleaned, then trimmed
};

// "none", "trim", "photo" (the tool's option values); none for other text.
std::optional<CleanupLevel> ParseCleanupLevel(std::string_view text);
std::string_view CleanupLevelName(CleanupLevel level);

// The cleaned picture of a 24-bit picture, a new block. kBadInput for kNone
// and for other depths: the caller outputs such a picture as it is.
Result<PackedDib> ApplyCleanup(const PackedDib& picture, CleanupLevel level);

// The same for a panel that wants `wanted` ink, and whether ink was found:
// without ink (kPhoto only, so far) the picture is one white pixel, to be
// shown as a transparent picture with a message, not reduced to two levels.
struct Cleaned {
  PackedDib picture;
  bool ink_found = true;
};
Result<Cleaned> CleanPicture(const PackedDib& picture, CleanupLevel level, InkWanted wanted);

}  // namespace quorel
