// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "image/PackedDib.h"

namespace quorel {

// Zero bytes (0 to 3) that follow a row's pixel bytes; 0 for unknown depths.
int RowPadding(int64_t width, int bit_count);
// Pixel bytes of one row by depth (1, 4, 8, 16, 24, 32 bits); 0 for other depths.
uint64_t RowPixelBytes(int64_t width, int bit_count);
// Pixel bytes plus padding.
uint64_t RowStride(int64_t width, int bit_count);

// Colour-table entries by the palette rule: biClrUsed when set, else 2, 16 or
// 256 by depth. A 12-byte core header is judged by its own bit-count field.
// `header` holds at least the header's size field; missing fields read as 0.
uint32_t PaletteEntries(std::span<const uint8_t> header);
uint32_t PaletteEntries(const PackedDib& dib);
// Colour-table bytes: 4 per entry, 3 after a 12-byte header.
uint64_t PaletteBytes(std::span<const uint8_t> header);
uint64_t PaletteBytes(const PackedDib& dib);

// Where the pixel rows begin: behind the colour table by the palette rule, or
// right after the 40-byte header (how the system addresses its own 24-bit
// pictures: fill, centred copy, preview).
enum class RowStart { kAfterPalette, kAfterHeader };

// The checked geometry of a picture: every byte it describes lies inside the
// block. The one place that knows the stride and the bottom-up row order.
struct DibGeometry {
  int32_t width = 0;
  int32_t height = 0;
  int bit_count = 0;
  uint32_t palette_entries = 0;   // entries that lie inside the block
  size_t palette_offset = 0;      // header size
  size_t pixel_offset = 0;
  size_t stride = 0;
};

// Geometry of a bottom-up picture (width and height at least 1) whose rows all
// lie inside its block; none otherwise. For RowStart::kAfterPalette the colour
// table must lie inside the block too.
std::optional<DibGeometry> CheckGeometry(const PackedDib& dib, RowStart start);

// Bounds-checked access to the rows of a picture with a checked geometry.
// Index 0 is the first stored row, the bottom row of the picture.
class ConstDibRows {
 public:
  ConstDibRows(std::span<const uint8_t> block, const DibGeometry& geometry)
      : block_(block), geometry_(geometry) {}
  const DibGeometry& geometry() const { return geometry_; }
  std::span<const uint8_t> StoredRow(int32_t index) const;
  std::span<const uint8_t> TopDownRow(int32_t y) const {
    return StoredRow(geometry_.height - 1 - y);
  }
  // Blue, green, red of a colour-table entry; entries beyond the table read as
  // black, the colour of a zero-filled entry.
  void PaletteColour(uint32_t index, uint8_t bgr[3]) const;

 private:
  std::span<const uint8_t> block_;
  DibGeometry geometry_;
};

class DibRows {
 public:
  DibRows(std::span<uint8_t> block, const DibGeometry& geometry)
      : block_(block), geometry_(geometry) {}
  const DibGeometry& geometry() const { return geometry_; }
  std::span<uint8_t> StoredRow(int32_t index) const;
  std::span<uint8_t> TopDownRow(int32_t y) const { return StoredRow(geometry_.height - 1 - y); }

 private:
  std::span<uint8_t> block_;
  DibGeometry geometry_;
};

}  // namespace quorel
