// Quorel — SPDX-License-Identifier: MIT
// WriteBmpFile: a picture with a 40-byte header as a BMP file.
#include <algorithm>
#include <array>

#include "codec/bmp/BmpFile.h"
#include "common/FileIo.h"
#include "common/LittleEndian.h"
#include "image/DibLayout.h"

namespace quorel {
namespace {

constexpr size_t kFileHeaderSize = 14;

bool WritableDepth(int bit_count) {
  return bit_count == 1 || bit_count == 4 || bit_count == 8 || bit_count == 24 || bit_count == 32;
}

}  // namespace

Result<void> WriteBmpFile(const PackedDib& picture, const std::filesystem::path& path) {
  if (!WritableDepth(picture.BitCount()) || picture.HeaderSize() != kInfoHeaderSize) {
    return Status::kUnsupported;
  }
  const auto geometry = QUOREL_TRY(CheckGeometry(picture));
  const uint64_t size_image = uint64_t{geometry.stride} * static_cast<uint64_t>(geometry.height);

  // The file header, then the picture's own header with biSizeImage made
  // right, its colour table and rows, written straight from its block: no
  // second picture-sized buffer.
  const uint64_t body = geometry.pixel_offset + size_image;
  std::array<uint8_t, kFileHeaderSize> file_header{};
  file_header[0] = 'B';                                                        // bfType
  file_header[1] = 'M';
  StoreLe32(file_header, 2, static_cast<uint32_t>(kFileHeaderSize + body));    // bfSize
  // bfReserved1 and bfReserved2 stay 0.
  StoreLe32(file_header, 10, static_cast<uint32_t>(kFileHeaderSize + geometry.pixel_offset));  // bfOffBits
  std::array<uint8_t, kInfoHeaderSize> info_header{};
  const auto block = picture.Bytes().first(static_cast<size_t>(body));
  std::copy_n(block.begin(), kInfoHeaderSize, info_header.begin());
  StoreLe32(info_header, static_cast<size_t>(DibField::kSizeImage), static_cast<uint32_t>(size_image));
  return WriteFileAtomically(path, {file_header, info_header, block.subspan(kInfoHeaderSize)});
}

}  // namespace quorel
