// Quorel — SPDX-License-Identifier: MIT
#include "image/ConvertTo24.h"

#include "common/LittleEndian.h"
#include "image/DibLayout.h"
#include "image/DibPrimitives.h"

namespace quorel {
namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

// A 24-bit picture the rest of the system can address directly: 40-byte
// header, no colour table, rows right after the header.
bool IsClean24(const PackedDib& picture) {
  return picture.BitCount() == 24 && picture.HeaderSize() == kInfoHeaderSize &&
         picture.Compression() == kBiRgb && PaletteEntries(picture) == 0;
}

// Where the rows of a 24- or 32-bit picture begin, or 0 when its layout is not
// plain blue-green-red(-unused). Bit-field masks sit at offsets 40 to 51
// either behind a 40-byte header or inside a larger one.
size_t DirectRowsOffset(const PackedDib& picture) {
  const auto bytes = picture.Bytes();
  const size_t header = picture.HeaderSize();
  if (picture.Compression() == kBiRgb) {
    return header + (picture.BitCount() == 24 ? PaletteBytes(picture) : 0);
  }
  if (picture.Compression() != kBiBitfields || picture.BitCount() != 32) return 0;
  if (bytes.size() < 52) return 0;
  if (LoadLe32(bytes, 40) != 0x00FF0000 || LoadLe32(bytes, 44) != 0x0000FF00 ||
      LoadLe32(bytes, 48) != 0x000000FF) {
    return 0;
  }
  return header == kInfoHeaderSize ? 52 : header;
}

}  // namespace

std::optional<PackedDib> ConvertTo24(PackedDib picture) {
  if (IsClean24(picture)) return picture;
  const int bit_count = picture.BitCount();
  if (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 24 && bit_count != 32) {
    return std::nullopt;
  }
  auto geometry = CheckGeometry(picture, bit_count <= 8 ? RowStart::kAfterPalette
                                                        : RowStart::kAfterHeader);
  if (!geometry) return std::nullopt;
  if (bit_count <= 8) {
    if (picture.Compression() != kBiRgb) return std::nullopt;  // RLE rows are not rows
  } else {
    // Rows behind a larger header or bit-field masks: check they still fit.
    const size_t offset = DirectRowsOffset(picture);
    if (offset == 0 || offset > picture.BlockSize()) return std::nullopt;
    if (static_cast<uint64_t>(geometry->height) > (picture.BlockSize() - offset) / geometry->stride) {
      return std::nullopt;
    }
    geometry->pixel_offset = offset;
  }

  auto result = CreateDib24(geometry->width, geometry->height);
  if (!result) return std::nullopt;
  const auto out_geometry = CheckGeometry(*result, RowStart::kAfterHeader);
  if (!out_geometry) return std::nullopt;
  const ConstDibRows src(picture.Bytes(), *geometry);
  const DibRows dst(result->Bytes(), *out_geometry);

  const int width = geometry->width;
  for (int32_t row = 0; row < geometry->height; ++row) {
    const auto in = src.StoredRow(row);
    const auto out = dst.StoredRow(row);
    for (int x = 0; x < width; ++x) {
      uint8_t* pixel = &out[static_cast<size_t>(x) * 3];
      switch (bit_count) {
        case 1: src.PaletteColour((in[x / 8] >> (7 - x % 8)) & 1, pixel); break;
        case 4: src.PaletteColour((in[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F, pixel); break;
        case 8: src.PaletteColour(in[x], pixel); break;
        case 24:
        case 32: {
          // Blue, green, red; a 32-bit pixel's fourth byte carries no colour.
          const size_t at = static_cast<size_t>(x) * (bit_count / 8);
          pixel[0] = in[at];
          pixel[1] = in[at + 1];
          pixel[2] = in[at + 2];
          break;
        }
      }
    }
  }
  return result;
}

}  // namespace quorel
