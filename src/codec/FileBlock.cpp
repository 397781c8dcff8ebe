// Quorel — SPDX-License-Identifier: MIT
#include "codec/FileBlock.h"

#include "codec/RandomAccessInput.h"
#include "common/Allocation.h"
#include "image/PackedDib.h"

namespace quorel {

Result<FileBlock> LoadFileBlock(const std::filesystem::path& path) {
  FileInput input = QUOREL_TRY(FileInput::Open(path));
  const uint64_t size = input.Size();
  if (size > kMaxBlockBytes) return Status::kTooLarge;
  // NOTE: not zero-filled: every byte is read from the file at once.
  FileBlock file{QUOREL_TRY(GuardAllocation([&] {
                   return std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(size));
                 })),
                 static_cast<size_t>(size)};
  QUOREL_TRY(input.ReadAt(0, std::span(file.bytes.get(), file.size)));
  return file;
}

}  // namespace quorel
