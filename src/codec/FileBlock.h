// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "codec/RandomAccessInput.h"
#include "common/Buffer.h"
#include "common/Result.h"

namespace quorel {

// A whole file in memory, exactly its bytes.
struct FileBlock {
  MallocBytes bytes;
  size_t size = 0;  // the file's length

  std::span<const uint8_t> Data() const { return {bytes.get(), size}; }
};

// A reader's judgement of a file's first bytes (at most kFileHeadSize, fewer
// only when the file is shorter): a status refuses the file.
using FileHeadCheck = Result<void> (*)(std::span<const uint8_t> head);
inline constexpr size_t kFileHeadSize = 16;

// kCannotOpen when the file cannot be opened, sized or read completely,
// kTooLarge when it is larger than a picture block may be (kMaxBlockBytes),
// kOutOfMemory; then the status of `check_head`, which sees the first bytes
// before the rest is read, so a file that is not of the format costs no load.
Result<FileBlock> LoadFileBlock(const std::filesystem::path& path, FileHeadCheck check_head = nullptr);

// The same judgement of a file that is to be read by chunks: kTooLarge beyond
// kMaxBlockBytes, then the status of `check_head` (when given) over its first
// bytes.
Result<void> CheckFileHead(RandomAccessInput& input, FileHeadCheck check_head);

}  // namespace quorel
