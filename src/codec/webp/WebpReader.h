// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "codec/Decoded.h"
#include "common/Result.h"

namespace quorel {

// A WebP file (lossy or lossless, a still picture) as a 24-bit picture
// (bottom-up, blue-green-red), alpha composited over white. Codes:
// kCannotOpen, kOutOfMemory, kTooLarge, kUnsupported (an animation),
// kWebpLibrary (anything else libwebp refuses). A file cut short keeps the
// rows decoded before the cut (the rest white) and reports the picture
// incomplete.
Result<Decoded> ReadWebpFile(const std::filesystem::path& path);
// The same over bytes already in memory.
Result<Decoded> ReadWebpBytes(std::span<const uint8_t> bytes);

}  // namespace quorel
