// Quorel — SPDX-License-Identifier: MIT
#include "codec/FileBlock.h"

#include <algorithm>
#include <array>
#include <new>

#include "codec/RandomAccessInput.h"
#include "image/PackedDib.h"

namespace quorel {

Result<void> CheckFileHead(RandomAccessInput& input, FileHeadCheck check_head) {
  const uint64_t size = input.Size();
  if (size > kMaxBlockBytes) return Status::kTooLarge;
  if (check_head == nullptr) return {};
  std::array<uint8_t, kFileHeadSize> head{};
  const auto taken = std::span(head).first(static_cast<size_t>(std::min<uint64_t>(size, head.size())));
  QUOREL_TRY(input.ReadAt(0, taken));
  return check_head(taken);
}

Result<FileBlock> LoadFileBlock(const std::filesystem::path& path, FileHeadCheck check_head) {
  FileInput input = QUOREL_TRY(FileInput::Open(path));
  QUOREL_TRY(CheckFileHead(input, check_head));
  const uint64_t size = input.Size();
  // NOTE: not zero-filled, as a picture's block: every byte is read from the
  // file at once.
  FileBlock file{AllocateBytes(static_cast<size_t>(size)), static_cast<size_t>(size)};
  if (!file.bytes) return Status::kOutOfMemory;
  QUOREL_TRY(input.ReadAt(0, std::span(file.bytes.get(), file.size)));
  return file;
}

}  // namespace quorel
