// Quorel — SPDX-License-Identifier: MIT
// ReadGifFile: the block structure up to the first image, then its raster.
#include "codec/gif/GifDecoder.h"

#include <algorithm>
#include <array>

#include "codec/FileBlock.h"
#include "codec/gif/GifCursor.h"
#include "codec/gif/GifRaster.h"
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

// What the logical screen and the first image descriptor say.
struct GifImage {
  int32_t width = 0;
  int32_t height = 0;
  int table_exponent = 0;  // the colour table holds 2^table_exponent entries
  bool interlaced = false;
  GifColourTable table;
};

bool IsGifSignature(const GifCursor& c) {
  return c.At(0) == 'G' && c.At(1) == 'I' && c.At(2) == 'F' && c.At(3) == '8' &&
         (c.At(4) == '7' || c.At(4) == '9') && c.At(5) == 'a';
}

// 2^exponent red, green, blue triples at the cursor. NOTE: a table that runs
// past the data is refused rather than completed with zeros.
Result<void> ReadColourTable(GifCursor& c, GifImage& image) {
  const int64_t count = int64_t{1} << image.table_exponent;
  if (c.position + 3 * count > c.size()) return Status::kCannotOpen;
  for (int64_t i = 0; i < count; ++i) {
    const int64_t at = c.position + 3 * i;
    image.table.entries[4 * i] = c.At(at + 2);
    image.table.entries[4 * i + 1] = c.At(at + 1);
    image.table.entries[4 * i + 2] = c.At(at);
    image.table.entries[4 * i + 3] = 0;
  }
  c.position += 3 * count;
  image.table.present = true;
  return {};
}

// Walks the blocks after the logical screen up to the first image descriptor,
// skipping extensions; leaves the cursor at the image data.
Result<void> FindFirstImage(GifCursor& c, uint8_t screen_flags, GifImage& image) {
  while (c.position < c.size()) {
    switch (c.At(c.position)) {
      case ',': {
        if (c.position + kDescriptorSize > c.size()) return Status::kCannotOpen;
        image.width = c.Le16At(c.position + 5);
        image.height = c.Le16At(c.position + 7);
        const uint8_t flags = c.At(c.position + 9);
        image.table_exponent = (screen_flags & 7) + 1;
        image.interlaced = (flags & 0x40) != 0;
        c.position += kDescriptorSize;
        if (flags & 0x80) {
          image.table_exponent = (flags & 7) + 1;
          QUOREL_TRY(ReadColourTable(c, image));
        }
        return {};
      }
      case '!':
        c.position += 2;  // introducer and label
        while (const int length = c.At(c.position)) {
          c.position += length + 1;
          if (c.position >= c.size()) return Status::kGifExtensionRunsOut;
        }
        ++c.position;
        break;
      case ';':
        return Status::kGifTrailerBeforeImage;
      default:
        return Status::kGifUnknownBlock;
    }
  }
  // No image descriptor: the screen's size and table stand, and the raster
  // reads zeros past the data.
  return {};
}

Result<PackedDib> DecodeGif(std::span<const uint8_t> bytes) {
  if (static_cast<int64_t>(bytes.size()) < kMinFileSize) return Status::kCannotOpen;
  GifCursor c{bytes, 13};  // just past the logical screen descriptor
  if (!IsGifSignature(c)) return Status::kUnsupported;

  GifImage image;
  image.width = c.Le16At(6);
  image.height = c.Le16At(8);
  const uint8_t screen_flags = c.At(10);
  if (screen_flags & 0x80) {
    image.table_exponent = (screen_flags & 7) + 1;
    QUOREL_TRY(ReadColourTable(c, image));
  }
  QUOREL_TRY(FindFirstImage(c, screen_flags, image));
  if (image.table_exponent < 1 || image.table_exponent > 8) return Status::kGifNoTableExponent;
  if (!image.table.present) return Status::kGifNoColourTable;
  if (image.width == 0) return Status::kGifZeroWidth;
  if (image.height == 0) return Status::kGifZeroHeight;
  // The code size is judged before the picture is allocated, so a damaged file
  // costs no large block.
  const int code_size = c.At(c.position);
  if (code_size < 2 || code_size > 11) return Status::kGifBadCodeSize;
  if (int64_t{image.width} * image.height > kMaxPixels) return Status::kTooLarge;

  const uint32_t entries = 1u << image.table_exponent;
  PackedDib dib = QUOREL_TRY(CreateDib(image.width, image.height, 8, entries));
  std::copy_n(image.table.entries.begin(), 4 * entries, dib.Bytes().begin() + kInfoHeaderSize);
  QUOREL_TRY(DecodeGifRaster(c, QUOREL_TRY(DibRows::Of(dib)), image.interlaced));
  return dib;
}

}  // namespace

Result<PackedDib> ReadGifFile(const std::filesystem::path& path) {
  auto file = LoadFileBlock(path);
  if (!file) return Status::kCannotOpen;
  return DecodeGif(file->Data());
}

Result<PackedDib> ReadGifBytes(std::span<const uint8_t> bytes) { return DecodeGif(bytes); }

}  // namespace quorel
