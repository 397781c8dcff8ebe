// Quorel — SPDX-License-Identifier: MIT
// LZW decoding of one GIF image's data sub-blocks into the picture's rows.
#include "codec/gif/GifRaster.h"

#include "codec/gif/GifRowSink.h"
#include "codec/gif/LzwDecoder.h"

namespace quorel {
namespace {

constexpr int kMinCodeSize = 2;
constexpr int kMaxCodeSize = 11;

// Codes come least-significant bit first from the bytes of the data
// sub-blocks, a code possibly spanning two sub-blocks.
class GifCodeReader {
 public:
  explicit GifCodeReader(GifCursor& cursor) : cursor_(cursor) {}

  // False when the data ends before a whole code.
  bool Next(int width, int& code) {
    while (bit_count_ < width) {
      int byte = 0;
      if (!NextByte(byte)) return false;
      bits_ |= static_cast<uint32_t>(byte) << bit_count_;
      bit_count_ += 8;
    }
    code = static_cast<int>(bits_ & ((1u << width) - 1));
    bits_ >>= width;
    bit_count_ -= width;
    return true;
  }

 private:
  // A 0-length sub-block ends the data, and so does one whose first data byte
  // lies at or beyond the end of the file.
  bool NextByte(int& byte) {
    GifCursor& c = cursor_;
    if (left_in_block_ == 0) {
      if (ended_) return false;
      const int length = c.At(c.position);
      if (length == 0 || c.position + 1 >= c.size()) {
        ended_ = true;
        return false;
      }
      ++c.position;
      left_in_block_ = length;
    }
    byte = c.At(c.position++);
    --left_in_block_;
    return true;
  }

  GifCursor& cursor_;
  uint32_t bits_ = 0;
  int bit_count_ = 0;
  int left_in_block_ = 0;
  bool ended_ = false;
};

}  // namespace

Result<void> DecodeGifRaster(GifCursor& cursor, const DibRows& rows, bool interlaced) {
  const int min_code_size = cursor.At(cursor.position++);
  if (min_code_size < kMinCodeSize || min_code_size > kMaxCodeSize) return Status::kGifBadCodeSize;
  LzwDecoder lzw(min_code_size);
  GifRowSink sink(rows, interlaced);
  GifCodeReader reader(cursor);
  int code = 0;
  while (reader.Next(lzw.CodeWidth(), code)) {
    if (code == lzw.EndCode()) break;
    if (code == lzw.ClearCode()) {
      lzw.Clear();
      continue;
    }
    const std::span<const uint8_t> string = QUOREL_TRY(lzw.Expand(code));
    if ((string.empty() ? GifEmit::kCorrupt : sink.Put(string)) != GifEmit::kMore) break;
    QUOREL_TRY(lzw.Remember());
  }
  // The picture keeps whatever was decoded; nothing after this image is read.
  return {};
}

}  // namespace quorel
