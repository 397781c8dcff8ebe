// Quorel — SPDX-License-Identifier: MIT
#include "image/PackedDib.h"

#include <algorithm>
#include <cstdint>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

#include "common/LittleEndian.h"
#include "image/DibLayout.h"

namespace quorel {
namespace {

// NOTE: a large picture is first touched page by page; in huge pages the
// kernel takes 512 times fewer faults for it (most of its time in a
// whole-picture read). Blocks below this stay in ordinary pages.
void PreferHugePages([[maybe_unused]] uint8_t* block, [[maybe_unused]] uint64_t size) {
#ifdef __linux__
  constexpr uint64_t kHugePage = uint64_t{2} << 20;
  constexpr uint64_t kHugePagesFrom = 8 * kHugePage;
  if (size < kHugePagesFrom) return;
  const auto start = (reinterpret_cast<uintptr_t>(block) + kHugePage - 1) & ~(kHugePage - 1);
  const auto end = (reinterpret_cast<uintptr_t>(block) + size) & ~(kHugePage - 1);
  if (end > start) (void)::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#endif
}

}  // namespace

Result<PackedDib> PackedDib::Allocate(uint64_t block_size) {
  if (block_size > kMaxBlockBytes) return Status::kTooLarge;
  // NOTE: not zero-filled: a block about to be written whole would otherwise
  // be touched twice (a camera picture is tens of megabytes).
  MallocBytes bytes = AllocateBytes(static_cast<size_t>(block_size));
  if (!bytes) return Status::kOutOfMemory;
  PreferHugePages(bytes.get(), block_size);
  return PackedDib(std::move(bytes), static_cast<size_t>(block_size));
}

Result<PackedDib> PackedDib::FromBytes(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return Status::kBadInput;
  PackedDib dib = QUOREL_TRY(Allocate(bytes.size()));
  std::copy(bytes.begin(), bytes.end(), dib.bytes_.get());
  return dib;
}

uint32_t PackedDib::Field32(DibField field) const {
  const auto offset = static_cast<size_t>(field);
  return offset + 4 <= size_ ? LoadLe32(Bytes(), offset) : 0;
}

uint16_t PackedDib::Field16(DibField field) const {
  const auto offset = static_cast<size_t>(field);
  return offset + 2 <= size_ ? LoadLe16(Bytes(), offset) : 0;
}

void PackedDib::SetField32(DibField field, uint32_t value) {
  const auto offset = static_cast<size_t>(field);
  if (offset + 4 <= size_) StoreLe32(Bytes(), offset, value);
}

void PackedDib::SetField16(DibField field, uint16_t value) {
  const auto offset = static_cast<size_t>(field);
  if (offset + 2 <= size_) StoreLe16(Bytes(), offset, value);
}

Result<PackedDib> CreateDib(int32_t width, int32_t height, int bit_count,
                           uint32_t palette_entries, PixelFill fill) {
  if (width < 1 || height < 1 || RowPixelBytes(width, bit_count) == 0 || bit_count == 16) {
    return Status::kBadInput;
  }
  if (int64_t{width} * height > kMaxPixels) return Status::kTooLarge;
  const uint64_t stride = RowStride(width, bit_count);
  const uint64_t image_size = stride * static_cast<uint64_t>(height);  // below 2^35
  const uint64_t pixel_offset = kInfoHeaderSize + uint64_t{4} * palette_entries;
  PackedDib dib = QUOREL_TRY(PackedDib::Allocate(pixel_offset + image_size));
  const std::span<uint8_t> bytes = dib.Bytes();
  std::fill_n(bytes.begin(), pixel_offset, 0);
  StoreLe32(bytes, 0, kInfoHeaderSize);                     // biSize
  StoreLe32(bytes, 4, static_cast<uint32_t>(width));        // biWidth
  StoreLe32(bytes, 8, static_cast<uint32_t>(height));       // biHeight: bottom-up
  StoreLe16(bytes, 12, 1);                                  // biPlanes
  StoreLe16(bytes, 14, static_cast<uint16_t>(bit_count));   // biBitCount
  StoreLe32(bytes, 20, static_cast<uint32_t>(image_size));  // biSizeImage
  StoreLe32(bytes, 32, palette_entries);                    // biClrUsed
  const auto rows = bytes.subspan(static_cast<size_t>(pixel_offset));
  if (fill == PixelFill::kZero) {
    std::fill(rows.begin(), rows.end(), 0);
  } else if (const size_t pixel_bytes = RowPixelBytes(width, bit_count); pixel_bytes < stride) {
    for (size_t at = pixel_bytes; at < rows.size(); at += stride) {
      std::fill_n(rows.begin() + static_cast<ptrdiff_t>(at), stride - pixel_bytes, 0);
    }
  }
  return dib;
}

}  // namespace quorel
