// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "common/Result.h"

namespace quorel {

// A whole file in memory, exactly its bytes.
struct FileBlock {
  std::unique_ptr<uint8_t[]> bytes;
  size_t size = 0;  // the file's length

  std::span<const uint8_t> Data() const { return {bytes.get(), size}; }
};

// kCannotOpen when the file cannot be opened, sized or read completely,
// kTooLarge when it is larger than a picture block may be (kMaxBlockBytes),
// kOutOfMemory.
Result<FileBlock> LoadFileBlock(const std::filesystem::path& path);

}  // namespace quorel
