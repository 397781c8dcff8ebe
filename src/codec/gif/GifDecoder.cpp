// Quorel — SPDX-License-Identifier: MIT
// ReadGifFile: the block structure up to the first image, then its raster.
#include "codec/gif/GifDecoder.h"

#include <algorithm>
#include <array>

#include "codec/FileBlock.h"
#include "codec/gif/GifDecodeState.h"
#include "common/LittleEndian.h"
#include "image/DibLayout.h"

namespace quorel {
namespace {

constexpr int64_t kMinFileSize = 11;  // 10 bytes or fewer hold no picture
constexpr int64_t kDescriptorSize = 10;

// The colour table in use as 4-byte entries (blue, green, red, 0).
struct GifColourTable {
  std::array<uint8_t, 4 * 256> entries{};
  bool present = false;
};

bool IsGifSignature(std::span<const uint8_t> data) {
  return data[0] == 'G' && data[1] == 'I' && data[2] == 'F' && data[3] == '8' &&
         (data[4] == '7' || data[4] == '9') && data[5] == 'a';
}

// 2^b red, green, blue triples at the read position. NOTE: a table that runs
// past the data is refused rather than completed from the zero slack.
bool ReadColourTable(GifDecodeState& s, GifColourTable& table) {
  const int64_t count = int64_t{1} << s.table_exponent;
  if (s.position + 3 * count > s.size) return false;
  for (int64_t i = 0; i < count; ++i) {
    const int64_t at = s.position + 3 * i;
    table.entries[4 * i] = s.ByteAt(at + 2);
    table.entries[4 * i + 1] = s.ByteAt(at + 1);
    table.entries[4 * i + 2] = s.ByteAt(at);
    table.entries[4 * i + 3] = 0;
  }
  s.position += 3 * count;
  table.present = true;
  return true;
}

// Walks the blocks after the logical screen up to the first image descriptor,
// skipping extensions; leaves the position at the image data.
Status FindFirstImage(GifDecodeState& s, uint8_t screen_flags, GifColourTable& table) {
  while (s.position < s.size) {
    switch (s.ByteAt(s.position)) {
      case ',': {
        if (s.position + kDescriptorSize > s.size) return Status::kCannotOpen;
        s.width = LoadLe16(s.block, static_cast<size_t>(s.position + 5));
        s.height = LoadLe16(s.block, static_cast<size_t>(s.position + 7));
        const uint8_t flags = s.ByteAt(s.position + 9);
        s.table_exponent = (screen_flags & 7) + 1;
        s.interlaced = (flags & 0x40) != 0;
        s.position += kDescriptorSize;
        if (flags & 0x80) {
          s.table_exponent = (flags & 7) + 1;
          if (!ReadColourTable(s, table)) return Status::kCannotOpen;
        }
        return Status::kOk;
      }
      case '!':
        s.position += 2;  // introducer and label
        while (const int length = s.ByteAt(s.position)) {
          s.position += length + 1;
          if (s.position >= s.size) return Status::kGifExtensionRunsOut;
        }
        ++s.position;
        break;
      case ';':
        return Status::kGifTrailerBeforeImage;
      default:
        return Status::kGifUnknownBlock;
    }
  }
  // No image descriptor: the screen's size and table stand, and the raster
  // reads the zero slack behind the data.
  return Status::kOk;
}

Result<PackedDib> DecodeGif(const FileBlock& file) {
  if (static_cast<int64_t>(file.size) < kMinFileSize) return Status::kCannotOpen;
  GifDecodeState s;
  s.block = file.block;
  s.size = static_cast<int64_t>(file.size);
  if (!IsGifSignature(s.block)) return Status::kUnsupported;

  s.width = LoadLe16(s.block, 6);
  s.height = LoadLe16(s.block, 8);
  const uint8_t screen_flags = s.block[10];
  GifColourTable table;
  if (screen_flags & 0x80) {
    s.table_exponent = (screen_flags & 7) + 1;
    if (!ReadColourTable(s, table)) return Status::kCannotOpen;
  }
  if (const Status found = FindFirstImage(s, screen_flags, table); found != Status::kOk) {
    return found;
  }
  if (s.table_exponent < 1 || s.table_exponent > 8) return Status::kGifNoTableExponent;
  if (!table.present) return Status::kGifNoColourTable;
  if (s.width == 0) return Status::kGifZeroWidth;
  if (s.height == 0) return Status::kGifZeroHeight;
  // The code size is judged before the picture is allocated, so a damaged file
  // costs no large block.
  const int code_size = s.ByteAt(s.position);
  if (code_size < 2 || code_size > 11) return Status::kGifBadCodeSize;
  if (int64_t{s.width} * s.height > kMaxPixels) return Status::kTooLarge;

  const uint32_t entries = 1u << s.table_exponent;
  PackedDib dib = QUOREL_TRY(CreateDib(s.width, s.height, 8, entries));
  auto block = dib.Bytes();
  std::copy_n(table.entries.begin(), 4 * entries, block.begin() + kInfoHeaderSize);
  const DibGeometry geometry = QUOREL_TRY(CheckGeometry(dib));
  s.stride = geometry.stride;
  s.rows = block.subspan(geometry.pixel_offset, geometry.stride * static_cast<size_t>(s.height));
  SetGifPasses(s);

  if (const Status decoded = DecodeGifRaster(s); decoded != Status::kOk) return decoded;
  return dib;
}

}  // namespace

Result<PackedDib> ReadGifFile(const std::filesystem::path& path) {
  auto file = LoadFileBlock(path);
  if (!file) return Status::kCannotOpen;
  return DecodeGif(*file);
}

Result<PackedDib> ReadGifBytes(std::span<const uint8_t> bytes) {
  auto file = MakeFileBlock(bytes);
  if (!file) return Status::kCannotOpen;
  return DecodeGif(*file);
}

}  // namespace quorel
