// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <type_traits>
#include <utility>

#include "codec/FileBlock.h"

namespace quorel {

// The one road from a file to a reader over bytes: the whole file is loaded
// (kCannotOpen, kTooLarge, kOutOfMemory) and handed to `read`, whose Result
// is the answer.
template <class Read>
auto ReadFromFile(const std::filesystem::path& path, Read&& read)
    -> std::invoke_result_t<Read, std::span<const uint8_t>> {
  const Result<FileBlock> file = LoadFileBlock(path);
  if (!file) return file.status();
  return std::forward<Read>(read)(file->Data());
}

}  // namespace quorel
