// Quorel — SPDX-License-Identifier: MIT
#include "codec/FileBlock.h"

#include <algorithm>

#include "codec/RandomAccessInput.h"
#include "image/PackedDib.h"

namespace quorel {
namespace {

std::optional<FileBlock> Load(RandomAccessInput& input) {
  const uint64_t size = input.Size();
  if (size > kMaxBlockBytes) return std::nullopt;
  auto block = AllocateZeroed(size + kFileBlockSlack);
  if (!block) return std::nullopt;
  if (!input.ReadAt(0, std::span(*block).first(static_cast<size_t>(size)))) return std::nullopt;
  return FileBlock{std::move(*block), static_cast<size_t>(size)};
}

}  // namespace

std::optional<FileBlock> LoadFileBlock(const std::filesystem::path& path) {
  auto input = FileInput::Open(path);
  if (!input) return std::nullopt;
  return Load(*input);
}

std::optional<FileBlock> MakeFileBlock(std::span<const uint8_t> bytes) {
  MemoryInput input(bytes);
  return Load(input);
}

}  // namespace quorel
