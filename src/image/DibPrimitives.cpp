// Quorel — SPDX-License-Identifier: MIT
#include "image/DibPrimitives.h"

#include <algorithm>

#include "image/DibLayout.h"

namespace quorel {

std::optional<PackedDib> CreateDib24(int32_t width, int32_t height) {
  if (width < 1 || height < 1) return std::nullopt;
  if (int64_t{width} * height > kMaxPixels) return std::nullopt;
  const uint64_t image_size = RowStride(width, 24) * static_cast<uint64_t>(height);
  auto dib = PackedDib::Allocate(kInfoHeaderSize + image_size + 24);
  if (dib) WriteInfoHeader(*dib, width, height, 24, static_cast<uint32_t>(image_size));
  return dib;
}

std::optional<PackedDib> DuplicateDib(const PackedDib& dib) {
  return PackedDib::FromBytes(dib.Bytes());
}

void FillDib(PackedDib& dib, Bgr colour) {
  if (dib.BitCount() != 24) return;
  const auto geometry = CheckGeometry(dib, RowStart::kAfterHeader);
  if (!geometry) return;
  const DibRows rows(dib.Bytes(), *geometry);
  // The first row pixel by pixel, then whole-row copies.
  const auto first = rows.StoredRow(0);
  for (int32_t x = 0; x < geometry->width; ++x) {
    first[3 * x] = colour.blue;
    first[3 * x + 1] = colour.green;
    first[3 * x + 2] = colour.red;
  }
  const size_t pixel_bytes = 3 * static_cast<size_t>(geometry->width);
  for (int32_t y = 1; y < geometry->height; ++y) {
    std::copy_n(first.begin(), pixel_bytes, rows.StoredRow(y).begin());
  }
}

}  // namespace quorel
