// Quorel — SPDX-License-Identifier: MIT
// ReadGifFile: the block structure up to the first image, then its raster.
#include "codec/gif/GifDecoder.h"

#include <algorithm>
#include <array>

#include "codec/ChunkedInput.h"
#include "codec/ReadFromFile.h"
#include "codec/gif/GifRaster.h"
#include "common/LittleEndian.h"
#include "image/PaletteRow.h"
#include "image/DibLayout.h"

namespace quorel {
namespace {

constexpr size_t kMinFileSize = 11;  // 10 bytes or fewer hold no picture
constexpr size_t kScreenSize = 13;   // header and logical screen descriptor
constexpr size_t kDescriptorSize = 10;

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

bool IsGifSignature(std::span<const uint8_t> header) {
  return header[0] == 'G' && header[1] == 'I' && header[2] == 'F' && header[3] == '8' &&
         (header[4] == '7' || header[4] == '9') && header[5] == 'a';
}

// 2^exponent red, green, blue triples. NOTE: a table that runs past the data
// is refused rather than completed with zeros.
Result<void> ReadColourTable(ChunkedInput& reader, GifImage& image) {
  const size_t count = size_t{1} << image.table_exponent;
  std::array<uint8_t, 3 * 256> triples{};
  if (!reader.Read(std::span(triples).first(3 * count))) return Status::kCannotOpen;
  for (size_t i = 0; i < count; ++i) {
    image.table.entries[4 * i] = triples[3 * i + 2];
    image.table.entries[4 * i + 1] = triples[3 * i + 1];
    image.table.entries[4 * i + 2] = triples[3 * i];
    image.table.entries[4 * i + 3] = 0;
  }
  image.table.present = true;
  return {};
}

// Walks the blocks after the logical screen up to the first image descriptor,
// skipping extensions; leaves the reader at the image data.
Result<void> FindFirstImage(ChunkedInput& reader, uint8_t screen_flags, GifImage& image) {
  while (!reader.AtEnd()) {
    switch (reader.Peek()) {
      case ',': {
        std::array<uint8_t, kDescriptorSize> descriptor{};
        if (!reader.Read(descriptor)) return Status::kCannotOpen;
        image.width = LoadLe16(descriptor, 5);
        image.height = LoadLe16(descriptor, 7);
        const uint8_t flags = descriptor[9];
        image.table_exponent = (screen_flags & 7) + 1;
        image.interlaced = (flags & 0x40) != 0;
        if (flags & 0x80) {
          image.table_exponent = (flags & 7) + 1;
          QUOREL_TRY(ReadColourTable(reader, image));
        }
        return {};
      }
      case '!':
        reader.Skip(2);  // introducer and label
        // Sub-blocks up to the 0-length one; the last byte of the data
        // cannot start another.
        while (const uint8_t length = reader.Next()) {
          if (reader.Left() <= length) return Status::kGifExtensionRunsOut;
          reader.Skip(length);
        }
        break;
      case ';':
        return Status::kGifTrailerBeforeImage;
      default:
        return Status::kGifUnknownBlock;
    }
  }
  // No image descriptor: the screen's size and table stand, and the missing
  // image data is refused by its code size.
  return {};
}

// What the first bytes tell: too short for a picture, or not a GIF.
Result<void> CheckGifHead(std::span<const uint8_t> head) {
  if (head.size() < kMinFileSize) return Status::kCannotOpen;
  if (!IsGifSignature(head)) return Status::kUnsupported;
  return {};
}

// The first image's description, with the reader at its data (the code size
// byte): everything is judged before any picture is allocated, so a damaged
// file costs no large block.
Result<GifImage> ReadGifHead(ChunkedInput& reader) {
  std::array<uint8_t, kMinFileSize> header{};
  if (!reader.Read(header)) return Status::kCannotOpen;
  reader.Skip(kScreenSize - kMinFileSize);  // background colour and aspect ratio

  GifImage image;
  image.width = LoadLe16(header, 6);
  image.height = LoadLe16(header, 8);
  const uint8_t screen_flags = header[10];
  if (screen_flags & 0x80) {
    image.table_exponent = (screen_flags & 7) + 1;
    QUOREL_TRY(ReadColourTable(reader, image));
  }
  QUOREL_TRY(FindFirstImage(reader, screen_flags, image));
  if (image.table_exponent < 1 || image.table_exponent > 8) return Status::kGifNoTableExponent;
  if (!image.table.present) return Status::kGifNoColourTable;
  if (image.width == 0) return Status::kGifZeroWidth;
  if (image.height == 0) return Status::kGifZeroHeight;
  const int code_size = reader.Peek();
  if (code_size < 2 || code_size > 11) return Status::kGifBadCodeSize;
  return image;
}

std::span<const uint8_t> TableOf(const GifImage& image) {
  return std::span(image.table.entries).first(size_t{4} << image.table_exponent);
}

Result<Decoded> DecodeGif(ChunkedInput& reader) {
  const GifImage image = QUOREL_TRY(ReadGifHead(reader));
  const auto table = TableOf(image);
  PackedDib dib = QUOREL_TRY(CreateDib(image.width, image.height, 8, static_cast<uint32_t>(table.size() / 4)));
  std::copy(table.begin(), table.end(), dib.Bytes().begin() + kInfoHeaderSize);
  const DibRows dib_rows = QUOREL_TRY(DibRows::Of(dib));
  GifRowSink sink(dib_rows, image.interlaced);
  const DecodedRows rows = QUOREL_TRY(DecodeGifRaster(reader, sink));
  return Decoded{std::move(dib), rows.complete};
}

// The rows of a non-interlaced image, top first, in 24 bits as the whole
// picture's colours. NOTE: an interlaced image's first pass holds every
// eighth row; the rows between come in later passes, so it is read whole
// (kUnsupported before the sink is begun).
Result<DecodedRows> DecodeGifRows(ChunkedInput& reader, RowSink& out) {
  const GifImage image = QUOREL_TRY(ReadGifHead(reader));
  if (image.interlaced) return Status::kUnsupported;
  PaletteRow line = QUOREL_TRY(PaletteRow::Create(image.width, 8, TableOf(image)));
  QUOREL_TRY(out.Begin(image.width, image.height, RowOrder::kTopDown));
  GifRowSink sink(line.Line(), image.height, [&](int32_t y) { line.To24(line.Packed(), out.Row(y)); });
  const DecodedRows rows = QUOREL_TRY(DecodeGifRaster(reader, sink));
  sink.HandOnTheRest();
  return rows;
}

// The file judged by its first bytes, then read by chunks through `decode`;
// a read that fails on the way answers its own status.
template <class Decode>
auto ReadGifInput(RandomAccessInput& file, Decode&& decode) -> std::invoke_result_t<Decode, ChunkedInput&> {
  QUOREL_TRY(CheckFileHead(file, CheckGifHead));
  ChunkedInput input(file);
  auto result = std::forward<Decode>(decode)(input);
  if (input.status() != Status::kOk) return input.status();
  return result;
}

}  // namespace

Result<Decoded> ReadGifFile(const std::filesystem::path& path) {
  return ReadFromFileInput(path, [](RandomAccessInput& file) { return ReadGifInput(file, DecodeGif); });
}

Result<Decoded> ReadGifBytes(std::span<const uint8_t> bytes) {
  MemoryInput input(bytes);
  return ReadGifInput(input, DecodeGif);
}

Result<DecodedRows> ReadGifFileRows(const std::filesystem::path& path, RowSink& sink) {
  return ReadFromFileInput(path, [&](RandomAccessInput& file) {
    return ReadGifInput(file, [&](ChunkedInput& input) { return DecodeGifRows(input, sink); });
  });
}

}  // namespace quorel
