// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "common/Buffer.h"
#include "common/Result.h"

namespace quorel {

inline constexpr size_t kInfoHeaderSize = 40;   // BITMAPINFOHEADER
inline constexpr size_t kCoreHeaderSize = 12;   // BITMAPCOREHEADER

// Limits on what any reader or routine will make: larger pictures are refused
// before anything is allocated.
inline constexpr int64_t kMaxPixels = int64_t{1} << 28;
inline constexpr uint64_t kMaxBlockBytes = uint64_t{1} << 30;
// The largest picture the readers decode. Fuzzing builds stop far earlier: a
// huge valid picture costs seconds and finds nothing new.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
inline constexpr int64_t kMaxDecodedPixels = int64_t{1} << 24;
#else
inline constexpr int64_t kMaxDecodedPixels = kMaxPixels;
#endif

// Byte offsets of the BITMAPINFOHEADER fields.
enum class DibField : size_t {
  kSize = 0, kWidth = 4, kHeight = 8, kPlanes = 12, kBitCount = 14, kCompression = 16,
  kSizeImage = 20, kXPelsPerMeter = 24, kYPelsPerMeter = 28, kClrUsed = 32, kClrImportant = 36,
};

struct Bgr {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  bool operator==(const Bgr&) const = default;
};

// How CreateDib leaves the pixel bytes.
enum class PixelFill {
  kZero,      // every pixel 0: black, or colour-table entry 0
  kNone,      // left as they come: the caller writes every pixel of every row
};

// One picture: a packed device-independent bitmap (40-byte header, colour
// table, bottom-up rows padded to 4 bytes) in one owned block. The block may
// come from anywhere (a file, the clipboard), so nothing here trusts the
// header: fields outside the block read as 0 and writes outside it are dropped.
class PackedDib {
 public:
  // A copy of foreign bytes (a clipboard block, say), taken as they are.
  static Result<PackedDib> FromBytes(std::span<const uint8_t> bytes);

  size_t BlockSize() const { return size_; }
  std::span<uint8_t> Bytes() { return {bytes_.get(), size_}; }
  std::span<const uint8_t> Bytes() const { return {bytes_.get(), size_}; }

  uint32_t Field32(DibField field) const;
  uint16_t Field16(DibField field) const;
  void SetField32(DibField field, uint32_t value);
  void SetField16(DibField field, uint16_t value);

  uint32_t HeaderSize() const { return Field32(DibField::kSize); }
  int32_t Width() const { return static_cast<int32_t>(Field32(DibField::kWidth)); }
  int32_t Height() const { return static_cast<int32_t>(Field32(DibField::kHeight)); }
  uint16_t BitCount() const { return Field16(DibField::kBitCount); }
  uint32_t Compression() const { return Field32(DibField::kCompression); }
  uint32_t ClrUsed() const { return Field32(DibField::kClrUsed); }

 private:
  friend Result<PackedDib> CreateDib(int32_t, int32_t, int, uint32_t, PixelFill);
  // An uninitialised block; kTooLarge beyond kMaxBlockBytes, kOutOfMemory.
  static Result<PackedDib> Allocate(uint64_t block_size);
  PackedDib(MallocBytes bytes, size_t size) : bytes_(std::move(bytes)), size_(size) {}

  MallocBytes bytes_;
  size_t size_ = 0;
};

// The one gate through which every picture the system makes is allocated: a
// block of exactly header, `palette_entries` zero colour-table entries and
// rows, with a complete 40-byte header (biClrUsed = palette_entries,
// biSizeImage = stride × height). Row padding is always zero. kBadInput for a
// side below 1 or another depth than 1, 4, 8, 24 or 32; kTooLarge beyond
// kMaxPixels or kMaxBlockBytes; kOutOfMemory.
Result<PackedDib> CreateDib(int32_t width, int32_t height, int bit_count,
                           uint32_t palette_entries = 0, PixelFill fill = PixelFill::kZero);

}  // namespace quorel
