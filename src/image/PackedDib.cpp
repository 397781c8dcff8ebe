// Quorel — SPDX-License-Identifier: MIT
#include "image/PackedDib.h"

#include <algorithm>

#include "common/LittleEndian.h"

namespace quorel {

std::optional<PackedDib> PackedDib::Allocate(uint64_t block_size) {
  if (block_size > kMaxBlockBytes) return std::nullopt;
  auto bytes = AllocateZeroed(block_size);
  if (!bytes) return std::nullopt;
  return PackedDib(std::move(*bytes));
}

std::optional<PackedDib> PackedDib::FromBytes(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return std::nullopt;
  auto dib = Allocate(bytes.size());
  if (dib) std::copy(bytes.begin(), bytes.end(), dib->bytes_.begin());
  return dib;
}

uint32_t PackedDib::Field32(DibField field) const {
  const auto offset = static_cast<size_t>(field);
  return offset + 4 <= bytes_.size() ? LoadLe32(bytes_, offset) : 0;
}

uint16_t PackedDib::Field16(DibField field) const {
  const auto offset = static_cast<size_t>(field);
  return offset + 2 <= bytes_.size() ? LoadLe16(bytes_, offset) : 0;
}

void PackedDib::SetField32(DibField field, uint32_t value) {
  const auto offset = static_cast<size_t>(field);
  if (offset + 4 <= bytes_.size()) StoreLe32(bytes_, offset, value);
}

void PackedDib::SetField16(DibField field, uint16_t value) {
  const auto offset = static_cast<size_t>(field);
  if (offset + 2 <= bytes_.size()) StoreLe16(bytes_, offset, value);
}

void WriteInfoHeader(PackedDib& dib, int32_t width, int32_t height, uint16_t bit_count,
                     uint32_t size_image, uint32_t clr_used) {
  dib.SetField32(DibField::kSize, kInfoHeaderSize);
  dib.SetField32(DibField::kWidth, static_cast<uint32_t>(width));
  dib.SetField32(DibField::kHeight, static_cast<uint32_t>(height));
  dib.SetField16(DibField::kPlanes, 1);
  dib.SetField16(DibField::kBitCount, bit_count);
  dib.SetField32(DibField::kCompression, 0);
  dib.SetField32(DibField::kSizeImage, size_image);
  dib.SetField32(DibField::kXPelsPerMeter, 0);
  dib.SetField32(DibField::kYPelsPerMeter, 0);
  dib.SetField32(DibField::kClrUsed, clr_used);
  dib.SetField32(DibField::kClrImportant, 0);
}

}  // namespace quorel
