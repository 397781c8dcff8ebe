// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "codec/Decoded.h"
#include "common/Result.h"

namespace quorel {

// The primary picture of an HEIF file as a 24-bit picture (bottom-up,
// blue-green-red), high bit depths reduced to 8, alpha composited over white,
// turned upright by the file's rotation and mirror properties (irot, imir:
// libheif applies them while decoding). Codes: kCannotOpen, kOutOfMemory,
// kTooLarge, kUnsupported (a coding this libheif cannot decode), kHeifLibrary
// (anything else libheif refuses, or libheif cannot be loaded: it is opened by
// the first read). Always complete: libheif has no partial pictures.
Result<Decoded> ReadHeifFile(const std::filesystem::path& path);
// The same over bytes already in memory.
Result<Decoded> ReadHeifBytes(std::span<const uint8_t> bytes);

}  // namespace quorel
