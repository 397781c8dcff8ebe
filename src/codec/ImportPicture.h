// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

// The reader for a path, judged by the first letter after the last "." of the
// whole path: b → BMP, g → GIF, j → JPEG, p → PNG; kNoPictureExtension
// for any other path.
Result<PackedDib> ReadPictureFile(const std::filesystem::path& path);

}  // namespace quorel
