// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <type_traits>
#include <utility>

#include "codec/FileBlock.h"
#include "codec/RandomAccessInput.h"

namespace quorel {

// The one road from a file to a reader over bytes: the file's first bytes go
// to `check_head` (the same check the reader makes of them), then the whole
// file is loaded (kCannotOpen, kTooLarge, kOutOfMemory) and handed to `read`,
// whose Result is the answer.
template <class Read>
auto ReadFromFile(const std::filesystem::path& path, FileHeadCheck check_head, Read&& read)
    -> std::invoke_result_t<Read, std::span<const uint8_t>> {
  const Result<FileBlock> file = LoadFileBlock(path, check_head);
  if (!file) return file.status();
  return std::forward<Read>(read)(file->Data());
}

// The road from a file to a reader that reads it by chunks: the file opened
// (kCannotOpen) and handed to `read` unread; the reader judges it with
// CheckFileHead as it judges bytes in memory.
template <class Read>
auto ReadFromFileInput(const std::filesystem::path& path, Read&& read)
    -> std::invoke_result_t<Read, RandomAccessInput&> {
  Result<FileInput> input = FileInput::Open(path);
  if (!input) return input.status();
  return std::forward<Read>(read)(*input);
}

}  // namespace quorel
