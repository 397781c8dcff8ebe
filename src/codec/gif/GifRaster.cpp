// Quorel — SPDX-License-Identifier: MIT
// LZW decoding of one GIF image's data sub-blocks into the picture's rows.
#include "codec/gif/GifRaster.h"

#include "codec/gif/LzwDecoder.h"

namespace quorel {
namespace {

constexpr int kMinCodeSize = 2;
constexpr int kMaxCodeSize = 11;

// The bytes of the data sub-blocks behind the code size byte, as one run.
// A 0-length sub-block ends the run, and so does one whose first data byte
// lies at or beyond the end of the file. NOTE: a sub-block cut by the end of
// the file is completed with zero bytes, as the decoder has always done, so a
// cut file keeps the pixels it always gave; RanOut() then tells that the data
// did not hold the whole image.
class GifSubBlocks {
 public:
  explicit GifSubBlocks(ChunkedInput& in) : in_(in) {}

  // False at the end of the run.
  bool Next(uint8_t& byte) {
    if (left_in_block_ == 0) {
      if (ended_) return false;
      if (in_.Left() <= 1 || in_.Peek() == 0) {
        ran_out_ = in_.AtEnd() || in_.Peek() != 0;  // no terminator
        ended_ = true;
        return false;
      }
      left_in_block_ = in_.Next();
    }
    --left_in_block_;
    if (in_.AtEnd()) {
      ran_out_ = true;
      byte = 0;
      return true;
    }
    byte = in_.Next();
    return true;
  }

  bool RanOut() const { return ran_out_; }

 private:
  ChunkedInput& in_;
  int left_in_block_ = 0;
  bool ended_ = false;
  bool ran_out_ = false;
};

// Codes come least-significant bit first from the run of bytes, a code
// possibly spanning two sub-blocks.
class GifCodeReader {
 public:
  explicit GifCodeReader(GifSubBlocks& blocks) : blocks_(blocks) {}

  // False when the data ends before a whole code.
  bool Next(int width, int& code) {
    while (bit_count_ < width) {
      uint8_t byte = 0;
      if (!blocks_.Next(byte)) return false;
      bits_ |= static_cast<uint32_t>(byte) << bit_count_;
      bit_count_ += 8;
    }
    code = static_cast<int>(bits_ & ((1u << width) - 1));
    bits_ >>= width;
    bit_count_ -= width;
    return true;
  }

 private:
  GifSubBlocks& blocks_;
  uint32_t bits_ = 0;
  int bit_count_ = 0;
};

}  // namespace

Result<DecodedRows> DecodeGifRaster(ChunkedInput& data, GifRowSink& sink) {
  const int min_code_size = data.Next();  // 0 at the end
  if (min_code_size < kMinCodeSize || min_code_size > kMaxCodeSize) return Status::kGifBadCodeSize;
  LzwDecoder lzw(min_code_size);
  GifSubBlocks blocks(data);
  GifCodeReader reader(blocks);
  int code = 0;
  while (reader.Next(lzw.CodeWidth(), code)) {
    if (code == lzw.EndCode()) break;
    if (code == lzw.ClearCode()) {
      lzw.Clear();
      continue;
    }
    const std::span<const uint8_t> string = QUOREL_TRY(lzw.Expand(code));
    if (sink.Put(string) == GifEmit::kComplete) break;
    QUOREL_TRY(lzw.Remember());
  }
  // The picture keeps whatever was decoded; nothing after this image is read.
  return DecodedRows{sink.Complete() && !blocks.RanOut()};
}

}  // namespace quorel
