// Quorel — SPDX-License-Identifier: MIT
#include "image/DibLayout.h"

#include <cassert>

#include "common/LittleEndian.h"

namespace quorel {

uint64_t RowPixelBytes(int64_t width, int bit_count) {
  if (width < 0) return 0;
  const auto w = static_cast<uint64_t>(width);
  switch (bit_count) {
    case 1: return (w + 7) / 8;
    case 4: return (w + 1) / 2;
    case 8: return w;
    case 16: return 2 * w;
    case 24: return 3 * w;
    case 32: return 4 * w;
    default: return 0;
  }
}

int RowPadding(int64_t width, int bit_count) {
  return static_cast<int>((4 - RowPixelBytes(width, bit_count) % 4) % 4);
}

uint64_t RowStride(int64_t width, int bit_count) {
  return RowPixelBytes(width, bit_count) + RowPadding(width, bit_count);
}

namespace {

uint32_t HeaderField32(std::span<const uint8_t> header, size_t offset) {
  return offset + 4 <= header.size() ? LoadLe32(header, offset) : 0;
}
uint16_t HeaderField16(std::span<const uint8_t> header, size_t offset) {
  return offset + 2 <= header.size() ? LoadLe16(header, offset) : 0;
}

uint32_t DefaultEntries(int bit_count) {
  switch (bit_count) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

}  // namespace

uint32_t PaletteEntries(std::span<const uint8_t> header) {
  if (HeaderField32(header, 0) == kCoreHeaderSize) {
    return DefaultEntries(HeaderField16(header, 10));  // bcBitCount
  }
  const uint32_t used = HeaderField32(header, static_cast<size_t>(DibField::kClrUsed));
  if (used != 0) return used;
  return DefaultEntries(HeaderField16(header, static_cast<size_t>(DibField::kBitCount)));
}

uint32_t PaletteEntries(const PackedDib& dib) { return PaletteEntries(dib.Bytes()); }

uint64_t PaletteBytes(std::span<const uint8_t> header) {
  const uint64_t entry_size = HeaderField32(header, 0) == kCoreHeaderSize ? 3 : 4;
  return entry_size * PaletteEntries(header);
}

uint64_t PaletteBytes(const PackedDib& dib) { return PaletteBytes(dib.Bytes()); }

std::optional<DibGeometry> CheckGeometry(const PackedDib& dib, RowStart start) {
  const uint64_t block = dib.BlockSize();
  const uint64_t header_size = dib.HeaderSize();
  if (block < kInfoHeaderSize || header_size < kInfoHeaderSize || header_size > block) {
    return std::nullopt;
  }
  DibGeometry g;
  g.width = dib.Width();
  g.height = dib.Height();
  g.bit_count = dib.BitCount();
  if (g.width < 1 || g.height < 1) return std::nullopt;
  const uint64_t stride = RowStride(g.width, g.bit_count);
  if (stride == 0) return std::nullopt;

  // All in 64 bits: width and height below 2^31 and stride below 2^34 cannot
  // overflow, and the palette is at most 2^34 bytes.
  const uint64_t palette_bytes = PaletteBytes(dib);
  g.palette_offset = header_size;
  g.palette_entries = dib.BitCount() <= 8 ? PaletteEntries(dib) : 0;
  uint64_t pixel_offset = kInfoHeaderSize;
  if (start == RowStart::kAfterPalette) {
    pixel_offset = header_size + palette_bytes;
    if (pixel_offset > block) return std::nullopt;
  } else if (header_size + uint64_t{4} * g.palette_entries > block) {
    g.palette_entries = static_cast<uint32_t>((block - header_size) / 4);
  }
  if (static_cast<uint64_t>(g.height) > (block - pixel_offset) / stride) return std::nullopt;
  g.pixel_offset = static_cast<size_t>(pixel_offset);
  g.stride = static_cast<size_t>(stride);
  return g;
}

std::span<const uint8_t> ConstDibRows::StoredRow(int32_t index) const {
  assert(index >= 0 && index < geometry_.height);
  return block_.subspan(geometry_.pixel_offset + static_cast<size_t>(index) * geometry_.stride,
                        geometry_.stride);
}

void ConstDibRows::PaletteColour(uint32_t index, uint8_t bgr[3]) const {
  if (index >= geometry_.palette_entries) {
    bgr[0] = bgr[1] = bgr[2] = 0;
    return;
  }
  const size_t at = geometry_.palette_offset + size_t{4} * index;
  bgr[0] = block_[at];
  bgr[1] = block_[at + 1];
  bgr[2] = block_[at + 2];
}

std::span<uint8_t> DibRows::StoredRow(int32_t index) const {
  assert(index >= 0 && index < geometry_.height);
  return block_.subspan(geometry_.pixel_offset + static_cast<size_t>(index) * geometry_.stride,
                        geometry_.stride);
}

}  // namespace quorel
