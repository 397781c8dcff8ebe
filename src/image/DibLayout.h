// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

// Pixel bytes of one row by depth (1, 4, 8, 16, 24, 32 bits); 0 for other depths.
uint64_t RowPixelBytes(int64_t width, int bit_count);
// Pixel bytes plus the zero padding (0 to 3 bytes) that makes a multiple of 4.
uint64_t RowStride(int64_t width, int bit_count);

// Colour-table entries by the palette rule: biClrUsed when set, else 2, 16 or
// 256 by depth. A 12-byte core header is judged by its own bit-count field.
// `header` holds at least the header's size field; missing fields read as 0.
uint32_t PaletteEntries(std::span<const uint8_t> header);
uint32_t PaletteEntries(const PackedDib& dib);
// Colour-table bytes: 4 per entry, 3 after a 12-byte header.
uint64_t PaletteBytes(std::span<const uint8_t> header);
uint64_t PaletteBytes(const PackedDib& dib);

// The checked geometry of a picture: every byte it describes lies inside the
// block. The one place that knows the stride and the bottom-up row order.
struct DibGeometry {
  int32_t width = 0;
  int32_t height = 0;
  int bit_count = 0;
  uint32_t palette_entries = 0;   // colour-table entries of 1-, 4- and 8-bit pictures
  size_t palette_offset = 0;      // header size
  size_t pixel_offset = 0;
  size_t stride = 0;
};

// Geometry of a bottom-up picture (width and height at least 1) whose colour
// table and rows lie inside its block, the rows right behind the table by the
// palette rule. kBadInput otherwise.
Result<DibGeometry> CheckGeometry(const PackedDib& dib);
// The same with the rows at a given offset (behind bit-field masks, say); the
// colour table counts only as far as it lies inside the block.
Result<DibGeometry> CheckGeometryAt(const PackedDib& dib, uint64_t pixel_offset);

// Bounds-checked access to the rows of a picture with a checked geometry.
// Index 0 is the first stored row, the bottom row of the picture. `Byte` is
// uint8_t for writing, const uint8_t for reading.
template <class Byte>
class BasicDibRows {
 public:
  BasicDibRows(std::span<Byte> block, const DibGeometry& geometry)
      : block_(block), geometry_(geometry) {}
  // A view of a picture with a checked geometry, writable for a non-const one.
  template <class Dib>
  static Result<BasicDibRows> Of(Dib& dib) {
    return BasicDibRows(dib.Bytes(), QUOREL_TRY(CheckGeometry(dib)));
  }

  const DibGeometry& geometry() const { return geometry_; }
  int32_t width() const { return geometry_.width; }
  int32_t height() const { return geometry_.height; }
  std::span<Byte> StoredRow(int32_t index) const {
    assert(index >= 0 && index < geometry_.height);
    return block_.subspan(geometry_.pixel_offset + static_cast<size_t>(index) * geometry_.stride,
                          geometry_.stride);
  }
  std::span<Byte> TopDownRow(int32_t y) const { return StoredRow(geometry_.height - 1 - y); }
  // A colour-table entry; entries beyond the table read as black, the colour
  // of a zero-filled entry.
  Bgr PaletteColour(uint32_t index) const {
    if (index >= geometry_.palette_entries) return {};
    const size_t at = geometry_.palette_offset + size_t{4} * index;
    return {block_[at], block_[at + 1], block_[at + 2]};
  }

 private:
  std::span<Byte> block_;
  DibGeometry geometry_;
};

using DibRows = BasicDibRows<uint8_t>;
using ConstDibRows = BasicDibRows<const uint8_t>;

}  // namespace quorel
