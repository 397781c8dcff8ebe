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
  return std::move(QUOREL_TRY(CleanPicture(picture, level, InkWanted::kAny)).picture);
}

Result<Cleaned> CleanPicture(const PackedDib& picture, CleanupLevel level, InkWanted wanted) {
  if (picture.BitCount() != 24) return Status::kBadInput;
  switch (level) {
    case CleanupLevel::kTrim: return Cleaned{QUOREL_TRY(TrimMargins(picture)), true};
    case CleanupLevel::kPhoto: {
      CleanedPhoto cleaned = QUOREL_TRY(CleanPhoto(picture, wanted));
      return Cleaned{std::move(cleaned.picture), cleaned.ink_found};
    }
    case CleanupLevel::kNone: break;
  }
  return Status::kBadInput;  // nothing to clean: the caller outputs the picture itself
}

}  // namespace quorel
