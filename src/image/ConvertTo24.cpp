// Quorel — SPDX-License-Identifier: MIT
#include "image/ConvertTo24.h"

#include <algorithm>

#include "common/LittleEndian.h"
#include "image/DibLayout.h"

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

void RowTo24(std::span<const uint8_t> in, int bit_count, const ConstDibRows& table,
             std::span<uint8_t> out) {
  const size_t width = out.size() / 3;
  auto put = [&](size_t x, Bgr c) {
    out[3 * x] = c.blue;
    out[3 * x + 1] = c.green;
    out[3 * x + 2] = c.red;
  };
  switch (bit_count) {
    case 1:
      for (size_t x = 0; x < width; ++x) put(x, table.PaletteColour((in[x / 8] >> (7 - x % 8)) & 1));
      break;
    case 4:
      for (size_t x = 0; x < width; ++x) put(x, table.PaletteColour((in[x / 2] >> (x % 2 ? 0 : 4)) & 15));
      break;
    case 8:
      for (size_t x = 0; x < width; ++x) put(x, table.PaletteColour(in[x]));
      break;
    case 24:
      std::copy_n(in.begin(), 3 * width, out.begin());
      break;
    case 32:  // a 32-bit pixel's fourth byte carries no colour
      for (size_t x = 0; x < width; ++x) put(x, {in[4 * x], in[4 * x + 1], in[4 * x + 2]});
      break;
  }
}

bool ConvertsAsItself(const PackedDib& picture) { return IsClean24(picture); }

Result<PackedDib> ConvertTo24(PackedDib picture) {
  if (IsClean24(picture)) return picture;
  const int bit_count = picture.BitCount();
  if (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 24 && bit_count != 32) {
    return Status::kUnsupported;
  }
  DibGeometry geometry;
  if (bit_count <= 8) {
    if (picture.Compression() != kBiRgb) return Status::kUnsupported;  // RLE rows are not rows
    geometry = QUOREL_TRY(CheckGeometry(picture));
  } else {
    // Rows behind a larger header, a colour table or bit-field masks.
    const size_t offset = DirectRowsOffset(picture);
    if (offset == 0) return Status::kUnsupported;
    geometry = QUOREL_TRY(CheckGeometryAt(picture, offset));
  }
  PackedDib result =
      QUOREL_TRY(CreateDib(geometry.width, geometry.height, 24, 0, PixelFill::kNone));
  const ConstDibRows src(picture.Bytes(), geometry);
  const DibRows dst = QUOREL_TRY(DibRows::Of(result));
  const size_t pixel_bytes = 3 * static_cast<size_t>(geometry.width);
  for (int32_t row = 0; row < geometry.height; ++row) {
    RowTo24(src.StoredRow(row), bit_count, src, dst.StoredRow(row).first(pixel_bytes));
  }
  return result;
}

}  // namespace quorel
