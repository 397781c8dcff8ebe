// Quorel — SPDX-License-Identifier: MIT
#include "image/DibLayout.h"

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

uint64_t RowStride(int64_t width, int bit_count) {
  return (RowPixelBytes(width, bit_count) + 3) & ~uint64_t{3};
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

namespace {

// Everything but the row offset, which the two checks find differently.
Result<DibGeometry> BaseGeometry(const PackedDib& dib) {
  const uint64_t block = dib.BlockSize();
  const uint64_t header_size = dib.HeaderSize();
  if (block < kInfoHeaderSize || header_size < kInfoHeaderSize || header_size > block) {
    return Status::kBadInput;
  }
  DibGeometry g;
  g.width = dib.Width();
  g.height = dib.Height();
  g.bit_count = dib.BitCount();
  if (g.width < 1 || g.height < 1) return Status::kBadInput;
  g.stride = static_cast<size_t>(RowStride(g.width, g.bit_count));
  if (g.stride == 0) return Status::kBadInput;
  g.palette_offset = static_cast<size_t>(header_size);
  g.palette_entries = g.bit_count <= 8 ? PaletteEntries(dib) : 0;
  return g;
}

Result<DibGeometry> PlaceRows(DibGeometry g, uint64_t pixel_offset, uint64_t block) {
  // All in 64 bits: width and height below 2^31 and stride below 2^34 cannot
  // overflow.
  if (pixel_offset > block) return Status::kBadInput;
  if (static_cast<uint64_t>(g.height) > (block - pixel_offset) / g.stride) return Status::kBadInput;
  g.pixel_offset = static_cast<size_t>(pixel_offset);
  return g;
}

}  // namespace

Result<DibGeometry> CheckGeometry(const PackedDib& dib) {
  const DibGeometry g = QUOREL_TRY(BaseGeometry(dib));
  return PlaceRows(g, g.palette_offset + PaletteBytes(dib), dib.BlockSize());
}

Result<DibGeometry> CheckGeometryAt(const PackedDib& dib, uint64_t pixel_offset) {
  DibGeometry g = QUOREL_TRY(BaseGeometry(dib));
  const uint64_t room = (dib.BlockSize() - g.palette_offset) / 4;
  if (g.palette_entries > room) g.palette_entries = static_cast<uint32_t>(room);
  return PlaceRows(g, pixel_offset, dib.BlockSize());
}

}  // namespace quorel
