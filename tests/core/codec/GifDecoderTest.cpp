// Quorel — SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include "ImportTestPixels.h"
#include "codec/gif/GifDecoder.h"
#include "codec/gif/GifRowSink.h"
#include "codec/gif/LzwDecoder.h"
#include "support/TestData.h"

namespace quorel {
namespace {

using Bytes = std::vector<uint8_t>;

// Codes (value, width) in one data sub-block and a terminator.
Bytes Codes(const std::vector<std::pair<int, int>>& codes) {
  Bytes out = test::PackCodes(codes);
  out.insert(out.begin(), static_cast<uint8_t>(out.size()));
  return out.push_back(0), out;
}

struct GifLayout {
  uint16_t width = 3, height = 2;
  int table_bits = 2;  // a global table of 2^b entries; 0: none
  Bytes before_image = {};  // extension blocks
  int code_size = 2;
};

// A GIF of one image in a logical screen 10 pixels larger both ways.
Bytes MakeGif(const GifLayout& layout, const Bytes& data) {
  Bytes gif = {'G', 'I', 'F', '8', '9', 'a'};
  auto put16 = [&](int v) { gif.insert(gif.end(), {uint8_t(v), uint8_t(v >> 8)}); };
  put16(layout.width + 10), put16(layout.height + 10);
  gif.insert(gif.end(), {uint8_t(layout.table_bits ? 0x80 | (layout.table_bits - 1) : 0), 0, 0});
  for (int i = 0; layout.table_bits && i < (1 << layout.table_bits); ++i) {
    gif.insert(gif.end(), {uint8_t(i * 10), 100, 200});
  }
  gif.insert(gif.end(), layout.before_image.begin(), layout.before_image.end());
  gif.push_back(',');
  put16(0), put16(0), put16(layout.width), put16(layout.height);
  gif.insert(gif.end(), {0, uint8_t(layout.code_size)});
  gif.insert(gif.end(), data.begin(), data.end());
  gif.push_back(';');
  return gif;
}

// The colour indexes of an 8-bit picture, top row first.
Bytes Indexes(const PackedDib& picture) {
  const ConstDibRows rows = ConstDibRows::Of(picture).value();
  Bytes out;
  for (int y = 0; y < rows.height(); ++y) {
    std::ranges::copy(rows.TopDownRow(y).first(size_t(rows.width())), std::back_inserter(out));
  }
  return out;
}

// Code by code: the string each code expands to and the code width after it is remembered.
TEST(LzwDecoder, ExpandsKwKwKForgetsOnClearAndKeepsAFullTable) {
  constexpr int kClear = -1;
  struct Step { int code; Bytes string; int width; };
  const Step steps[] = {
      // Nothing learnt right after a clear; KwKwK: the code being defined, 6 = "00".
      {0, {0}, 3}, {6, {0, 0}, 3},
      {7, {0, 0, 0}, 4},            // KwKwK again, 7 = "000"; 8 is next, so codes widen to 4 bits
      {1, {1}, 4}, {8, {0, 0, 0, 1}, 4}, {9, {1, 0}, 4},  // 8 = "0001", 9 = "10", 10 = "00011"
      {11, {1, 0, 1}, 4},                                  // KwKwK of a string whose ends differ: 11 = "101"
      {kClear, {}, 3}, {2, {2}, 3}, {6, {2, 2}, 3},       // 6 is free again: KwKwK of "2"
  };
  LzwDecoder lzw(2);
  for (const Step& s : steps) {
    SCOPED_TRACE(s.code);
    if (s.code == kClear) lzw.Clear();
    using Span = std::span<const uint8_t>;
    const auto string = s.code == kClear ? Result<Span>(Span()) : lzw.Expand(s.code);
    ASSERT_TRUE(string && (s.code == kClear || lzw.Remember().ok())) << string.code();
    EXPECT_EQ(Bytes(string->begin(), string->end()), s.string);
    EXPECT_EQ(lzw.CodeWidth(), s.width);
  }
  lzw.Clear();
  EXPECT_EQ(lzw.Expand(lzw.EndCode()).status(), Status::kGifBadCodeAfterClear);
  EXPECT_EQ(lzw.Expand(6).status(), Status::kGifBadCodeAfterClear);
  // A full table without a clear keeps 12-bit codes and goes on expanding.
  for (int i = 0; i < 6000; ++i) {
    const auto string = lzw.Expand(i % 4);
    ASSERT_TRUE(string && string->size() == 1 && (*string)[0] == i % 4) << i;
    ASSERT_TRUE(lzw.Remember()) << i;
    ASSERT_LE(lzw.CodeWidth(), LzwDecoder::kMaxCodeWidth) << i;
  }
  EXPECT_EQ(lzw.CodeWidth(), 12);
  EXPECT_EQ(lzw.Expand(4095)->size(), 2u);  // the last code learnt: two roots
}

// Indexes in stream order land in the rows of the four interlaced passes
// (every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1).
TEST(GifRowSink, InterlacedRowsLandInPassOrder) {
  for (int32_t height = 1; height <= 17; ++height) {
    SCOPED_TRACE(height);
    Bytes expected_rows;  // the row each stream row lands in
    for (const auto& [start, step] : {std::pair(0, 8), std::pair(4, 8), std::pair(2, 4), std::pair(1, 2)}) {
      for (int y = start; y < height; y += step) expected_rows.push_back(static_cast<uint8_t>(y));
    }
    PackedDib dib = CreateDib(1, height, 8, 256).value();
    GifRowSink sink(DibRows::Of(dib).value(), /*interlaced=*/true);
    for (int32_t r = 0; r < height; ++r) {
      EXPECT_EQ(sink.Put(Bytes{uint8_t(r)}), r + 1 < height ? GifEmit::kMore : GifEmit::kComplete);
    }
    EXPECT_EQ(sink.Put(Bytes{1}), GifEmit::kComplete);
    const Bytes rows = Indexes(dib);
    for (int32_t r = 0; r < height; ++r) EXPECT_EQ(rows[expected_rows[static_cast<size_t>(r)]], r);
  }
}

TEST(GifDecoder, RefusesDamagedFiles) {
  using enum Status;
  const auto good = Codes({{4, 3}, {0, 3}, {1, 3}, {0, 3}, {1, 4}, {0, 4}, {1, 4}, {5, 4}});
  const auto gif = MakeGif({}, good);
  auto cut = [](Bytes bytes, size_t size, Bytes tail = {}) {
    return bytes.resize(size), bytes.insert(bytes.end(), tail.begin(), tail.end()), bytes;
  };
  auto bad_signature = gif;
  bad_signature[4] = '8';  // GIF88a
  const size_t screen = 13 + 3 * 4;
  // 7 lies beyond the next free code 6 yet becomes the previous code; the code after it must not extend it.
  auto beyond_table = [](int next) { return MakeGif({5, 3}, Codes({{4, 3}, {0, 3}, {7, 3}, {next, 3}})); };
  struct Case { const char* what; Bytes bytes; Status status; };
  const Case cases[] = {
      {"10 bytes", cut(gif, 10), kCannotOpen},
      {"signature", bad_signature, kUnsupported},
      {"trailer before any image", cut(gif, screen, {';'}), kGifTrailerBeforeImage},
      {"unknown block", cut(gif, screen, {'x'}), kGifUnknownBlock},
      {"extension runs out", MakeGif({.before_image = {'!', 1, 200, 1, 2}}, {}), kGifExtensionRunsOut},
      {"no table exponent", cut(MakeGif({.table_bits = 0}, good), 13, {'!', 1, 0}), kGifNoTableExponent},
      {"no colour table", MakeGif({.table_bits = 0}, good), kGifNoColourTable},
      {"width 0", MakeGif({.width = 0}, good), kGifZeroWidth},
      {"height 0", MakeGif({.height = 0}, good), kGifZeroHeight},
      {"code size 1", MakeGif({.code_size = 1}, good), kGifBadCodeSize},
      {"code size 12", MakeGif({.code_size = 12}, good), kGifBadCodeSize},
      {"code above the end code after a clear", MakeGif({}, Codes({{4, 3}, {6, 3}})), kGifBadCodeAfterClear},
      {"prefix beyond the table, known code", beyond_table(0), kGifBadPrefixKnown},
      {"prefix beyond the table, unknown code", beyond_table(7), kGifBadPrefixUnknown},
      {"colour table past the data", cut(MakeGif({.table_bits = 8}, good), 13 + 100), kCannotOpen},
      {"descriptor past the data", cut(gif, screen + 5), kCannotOpen},
      {"too large", MakeGif({.width = 65535, .height = 65535}, good), kTooLarge},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadGifBytes(c.bytes).status(), c.status) << c.what;
}

// A file that ends one byte into a five-byte sub-block (clear, 1, and two bits of the next code): the
// missing bytes decode as zeros, as they always did (the cut code gives 3), and fill every pixel, yet the
// picture says it is not complete.
TEST(GifDecoder, TellsACutImageFromAWholeOne) {
  auto cut = MakeGif({}, {5, 0xCC});
  cut.pop_back();  // the trailer
  const auto decoded = ReadGifBytes(cut);
  ASSERT_TRUE(decoded) << decoded.code();
  EXPECT_FALSE(decoded->complete);
  EXPECT_EQ(Indexes(decoded->picture), (Bytes{1, 3, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace quorel
