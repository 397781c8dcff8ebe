// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "common/ByteBuffer.h"

namespace quorel {

inline constexpr size_t kInfoHeaderSize = 40;   // BITMAPINFOHEADER
inline constexpr size_t kCoreHeaderSize = 12;   // BITMAPCOREHEADER

// Limits on what any reader or routine will make: larger pictures are refused
// before anything is allocated.
inline constexpr int64_t kMaxPixels = int64_t{1} << 28;
inline constexpr uint64_t kMaxBlockBytes = uint64_t{1} << 30;

// Byte offsets of the BITMAPINFOHEADER fields.
enum class DibField : size_t {
  kSize = 0, kWidth = 4, kHeight = 8, kPlanes = 12, kBitCount = 14, kCompression = 16,
  kSizeImage = 20, kXPelsPerMeter = 24, kYPelsPerMeter = 28, kClrUsed = 32, kClrImportant = 36,
};

// One picture: a packed device-independent bitmap (40-byte header, colour
// table, bottom-up rows padded to 4 bytes, spare bytes behind) in one owned,
// zero-filled block. The block may come from anywhere (a file, the clipboard),
// so nothing here trusts the header: fields outside the block read as 0 and
// writes outside it are dropped.
class PackedDib {
 public:
  // A zero-filled block; none when it exceeds kMaxBlockBytes or memory runs out.
  static std::optional<PackedDib> Allocate(uint64_t block_size);
  // A copy of foreign bytes (a clipboard block); none for an empty span.
  static std::optional<PackedDib> FromBytes(std::span<const uint8_t> bytes);

  size_t BlockSize() const { return bytes_.size(); }
  std::span<uint8_t> Bytes() { return bytes_; }
  std::span<const uint8_t> Bytes() const { return bytes_; }

  uint32_t Field32(DibField field) const;
  uint16_t Field16(DibField field) const;
  void SetField32(DibField field, uint32_t value);
  void SetField16(DibField field, uint16_t value);

  uint32_t HeaderSize() const { return Field32(DibField::kSize); }
  int32_t Width() const { return static_cast<int32_t>(Field32(DibField::kWidth)); }
  int32_t Height() const { return static_cast<int32_t>(Field32(DibField::kHeight)); }
  uint16_t Planes() const { return Field16(DibField::kPlanes); }
  uint16_t BitCount() const { return Field16(DibField::kBitCount); }
  uint32_t Compression() const { return Field32(DibField::kCompression); }
  uint32_t SizeImage() const { return Field32(DibField::kSizeImage); }
  uint32_t ClrUsed() const { return Field32(DibField::kClrUsed); }

 private:
  explicit PackedDib(ByteBuffer bytes) : bytes_(std::move(bytes)) {}

  ByteBuffer bytes_;
};

// Writes a complete 40-byte header for a picture the system makes from scratch.
void WriteInfoHeader(PackedDib& dib, int32_t width, int32_t height, uint16_t bit_count,
                     uint32_t size_image, uint32_t clr_used = 0);

}  // namespace quorel
