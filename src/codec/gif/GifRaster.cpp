// Quorel — SPDX-License-Identifier: MIT
// LZW decoding of one GIF image's data sub-blocks into bottom-up 8-bit rows.
#include "codec/gif/GifDecodeState.h"

namespace quorel {
namespace {

constexpr int kMinCodeSize = 2;
constexpr int kMaxCodeSize = 11;
constexpr int kMaxCodeWidth = 12;

// Codes come least-significant bit first from the bytes of the data
// sub-blocks, a code possibly spanning two sub-blocks.
class GifCodeReader {
 public:
  explicit GifCodeReader(GifDecodeState& state) : state_(state) {}

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
    auto& s = state_;
    if (left_in_block_ == 0) {
      if (ended_) return false;
      const int length = s.ByteAt(s.position);
      if (length == 0 || s.position + 1 >= s.size) {
        ended_ = true;
        return false;
      }
      ++s.position;
      left_in_block_ = length;
    }
    byte = s.ByteAt(s.position++);
    --left_in_block_;
    return true;
  }

  GifDecodeState& state_;
  uint32_t bits_ = 0;
  int bit_count_ = 0;
  int left_in_block_ = 0;
  bool ended_ = false;
};

}  // namespace

void SetGifPasses(GifDecodeState& s) {
  s.pass2 = (s.height + 7) / 8;
  s.pass3 = s.pass2 + (s.height + 3) / 8;
  s.pass4 = s.pass3 + (s.height + 1) / 4;
}

int32_t GifImageRow(const GifDecodeState& s, int32_t r) {
  if (!s.interlaced) return r;
  if (r < s.pass2) return 8 * r;
  if (r < s.pass3) return 8 * (r - s.pass2) + 4;
  if (r < s.pass4) return 4 * (r - s.pass3) + 2;
  return 2 * (r - s.pass4) + 1;
}

int EmitGifString(GifDecodeState& s, int code) {
  if (code < 0 || code >= kGifMaxCodes) return -1;
  // Unwind the chain onto the stack, which fills from its end.
  size_t top = s.stack.size();
  for (;;) {
    if (top == 0) return -1;  // longer than any real string: a loop in the table
    const GifStringEntry& entry = s.table[static_cast<size_t>(code)];
    s.stack[--top] = entry.last;
    if (entry.prefix < 0) break;
    if (entry.prefix == code || entry.prefix >= kGifMaxCodes) return -1;
    code = entry.prefix;
  }
  for (size_t i = top; i < s.stack.size(); ++i) {
    if (s.next_pixel >= s.rows.size()) return -1;
    s.rows[s.next_pixel++] = s.stack[i];
    if (++s.column < s.width) continue;
    s.column = 0;
    if (++s.stream_row >= s.height) return -1;  // the picture is complete
    const int32_t y = GifImageRow(s, s.stream_row);
    s.next_pixel = static_cast<size_t>(s.height - y - 1) * s.stride;
  }
  return 0;
}

Status DecodeGifRaster(GifDecodeState& s) {
  s.next_pixel = static_cast<size_t>(s.height - 1) * s.stride;  // the top image row
  s.column = 0;
  s.stream_row = 0;

  const int m = s.ByteAt(s.position++);
  if (m < kMinCodeSize || m > kMaxCodeSize) return Status::kGifBadCodeSize;
  const int clear = 1 << m;
  const int end = clear + 1;
  for (int i = 0; i < clear; ++i) {
    s.table[static_cast<size_t>(i)] = {-1, static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
  }
  int width = m + 1;
  int limit = 1 << width;
  int next = clear + 2;
  // NOTE: a stream that does not begin with a clear code is read as if it did.
  bool after_clear = true;
  int previous = 0;

  // A new string: the previous one followed by `last`. False when the previous
  // code lies at or beyond the next free code (a corrupt stream).
  auto add_entry = [&](uint8_t last) {
    if (next >= kGifMaxCodes) return true;  // the table is full: keep 12-bit codes
    if (previous >= next) return false;
    const uint8_t first = s.table[static_cast<size_t>(previous)].first;
    s.table[static_cast<size_t>(next)] = {previous, first, last};
    ++next;
    if (next >= limit && width < kMaxCodeWidth) {
      ++width;
      limit *= 2;
    }
    return true;
  };

  GifCodeReader reader(s);
  int code = 0;
  while (reader.Next(width, code)) {
    if (code == end) break;
    if (code == clear) {
      width = m + 1;
      limit = 1 << width;
      next = clear + 2;
      after_clear = true;
      continue;
    }
    if (after_clear) {
      if (code > clear) return Status::kGifBadCodeAfterClear;
      after_clear = false;
      previous = code;
      if (EmitGifString(s, code) < 0) break;
      continue;
    }
    if (code < next) {
      if (EmitGifString(s, code) < 0) break;
      if (!add_entry(s.table[static_cast<size_t>(code)].first)) return Status::kGifBadPrefixKnown;
    } else {
      const uint8_t first = s.table[static_cast<size_t>(previous)].first;
      if (EmitGifString(s, previous) < 0 || EmitGifString(s, first) < 0) break;
      if (!add_entry(first)) return Status::kGifBadPrefixUnknown;
    }
    previous = code;
  }
  // The picture keeps whatever was decoded; nothing after this image is read.
  return Status::kOk;
}

}  // namespace quorel
