// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/Cleanup.h"

#include "image/cleanup/PhotoCleanup.h"
#include "image/cleanup/TrimMargins.h"

namespace quorel {

std::optional<CleanupLevel> ParseCleanupLevel(std::string_view text) {
  for (const CleanupLevel level : {CleanupLevel::kNone, CleanupLevel::kTrim, CleanupLevel::kPhoto}) {
    if (text == CleanupLevelName(level)) return level;
  }
  return std::nullopt;
}

std::string_view CleanupLevelName(CleanupLevel level) {
  switch (level) {
    case CleanupLevel::kTrim: return "trim";
    case CleanupLevel::kPhoto: return "photo";
    case CleanupLevel::kNone: break;
  }
  return "none";
}

Result<PackedDib> ApplyCleanup(const PackedDib& picture, CleanupLevel level) {
  if (level == CleanupLevel::kNone || picture.BitCount() != 24) {
    return PackedDib::FromBytes(picture.Bytes());
  }
  if (level == CleanupLevel::kTrim) return TrimMargins(picture);
  CleanedPhoto cleaned = QUOREL_TRY(CleanPhoto(picture));
  return std::move(cleaned.picture);
}

}  // namespace quorel
