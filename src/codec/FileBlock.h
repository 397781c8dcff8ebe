// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "common/ByteBuffer.h"

namespace quorel {

// Zero bytes kept behind a loaded file: a decoder that runs past the end of a
// damaged file reads zeros there instead of stopping mid-structure.
inline constexpr size_t kFileBlockSlack = 512;

// A whole file in memory, followed by kFileBlockSlack zero bytes.
struct FileBlock {
  ByteBuffer block;  // size + kFileBlockSlack bytes
  size_t size = 0;   // the file's length

  std::span<const uint8_t> Data() const { return std::span(block).first(size); }
};

// None when the file cannot be opened, sized or read completely, or when it is
// larger than a picture block may be (kMaxBlockBytes).
std::optional<FileBlock> LoadFileBlock(const std::filesystem::path& path);
// The same block made from bytes already in memory.
std::optional<FileBlock> MakeFileBlock(std::span<const uint8_t> bytes);

}  // namespace quorel
