// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/Status.h"

namespace quorel {

inline constexpr int kGifMaxCodes = 4096;

// One string of the LZW table: its prefix code (−1 for a root) and the first
// and last byte of the string.
struct GifStringEntry {
  int32_t prefix = 0;
  uint8_t first = 0;
  uint8_t last = 0;
};

// The working record of one decode: where the data is read, where pixels go,
// and the fixed-size table and stack, so decoding allocates nothing.
struct GifDecodeState {
  // File data: the loaded bytes followed by their zero slack.
  std::span<const uint8_t> block;
  int64_t size = 0;      // bytes of real data
  int64_t position = 13; // read position, just past the logical screen descriptor

  int table_exponent = 0;  // b: the colour table holds 2^b entries

  // The picture's rows (bottom-up, one byte per pixel) and their geometry.
  std::span<uint8_t> rows;
  size_t stride = 0;
  int32_t width = 0;
  int32_t height = 0;

  bool interlaced = false;
  int32_t pass2 = 0;  // stream rows at which interlace passes 2, 3 and 4 begin
  int32_t pass3 = 0;
  int32_t pass4 = 0;

  int32_t column = 0;
  int32_t stream_row = 0;
  size_t next_pixel = 0;  // offset of the next pixel within the rows

  std::array<uint8_t, kGifMaxCodes> stack{};
  std::array<GifStringEntry, kGifMaxCodes> table{};

  // Bytes beyond the block read as 0, like the zero slack behind the data.
  uint8_t ByteAt(int64_t at) const {
    return at >= 0 && static_cast<uint64_t>(at) < block.size() ? block[static_cast<size_t>(at)] : 0;
  }
};

// Sets the interlace pass starts p2, p3 and p4 for the state's height.
void SetGifPasses(GifDecodeState& state);
// The image row that stream row r lands on, interlaced or not.
int32_t GifImageRow(const GifDecodeState& state, int32_t stream_row);

// Decodes the image data at the read position into the rows: kOk (also when
// the data ends early) or kGifBadCodeSize, kGifBadCodeAfterClear,
// kGifBadPrefixKnown, kGifBadPrefixUnknown.
Status DecodeGifRaster(GifDecodeState& state);

// Appends the string of one code to the rows: 0, or −1 to stop decoding (a bad
// chain, or the picture is complete).
int EmitGifString(GifDecodeState& state, int code);

}  // namespace quorel
