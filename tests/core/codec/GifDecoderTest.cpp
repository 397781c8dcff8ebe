// Quorel — SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "ImportTestPixels.h"
#include "codec/gif/GifDecodeState.h"
#include "codec/gif/GifDecoder.h"
#include "image/DibLayout.h"
#include "support/TestData.h"

namespace quorel {
namespace {

using test::DataPath;

// Codes packed least-significant bit first into data sub-blocks.
class CodeWriter {
 public:
  void Put(int code, int width) {
    bits_ |= static_cast<uint64_t>(code) << count_;
    count_ += width;
    while (count_ >= 8) Flush8();
  }
  std::vector<uint8_t> SubBlocks() {
    if (count_ > 0) Flush8();
    std::vector<uint8_t> out;
    for (size_t at = 0; at < bytes_.size(); at += 255) {
      const size_t n = std::min<size_t>(255, bytes_.size() - at);
      out.push_back(static_cast<uint8_t>(n));
      out.insert(out.end(), bytes_.begin() + static_cast<ptrdiff_t>(at),
                 bytes_.begin() + static_cast<ptrdiff_t>(at + n));
    }
    out.push_back(0);
    return out;
  }

 private:
  void Flush8() {
    bytes_.push_back(static_cast<uint8_t>(bits_));
    bits_ >>= 8;
    count_ = count_ > 8 ? count_ - 8 : 0;
  }
  std::vector<uint8_t> bytes_;
  uint64_t bits_ = 0;
  int count_ = 0;
};

// Every pixel as its own root code, with the code width a decoder would use;
// a clear code when the table would fill, unless `clear_when_full` is off.
std::vector<uint8_t> RootCodes(const std::vector<uint8_t>& indexes, int m, bool clear_when_full = true) {
  CodeWriter out;
  const int clear = 1 << m;
  int width = m + 1, next = clear + 2;
  bool first = true;
  out.Put(clear, width);
  for (uint8_t index : indexes) {
    out.Put(index, width);
    if (!first && next < 4096) {
      ++next;
      if (next >= (1 << width) && width < 12) ++width;
    }
    first = false;
    if (clear_when_full && next >= 4094) {
      out.Put(clear, width);
      width = m + 1, next = clear + 2, first = true;
    }
  }
  out.Put(clear + 1, width);
  return out.SubBlocks();
}

struct GifLayout {
  uint16_t width = 5, height = 3;
  int table_bits = 1;           // global table of 2^b entries; 0: none
  int local_table_bits = 0;     // 0: no local table
  bool interlaced = false;
  uint16_t left = 0, top = 0;
  std::vector<uint8_t> before_image = {};  // extension blocks
  int code_size = 2;
};

std::vector<uint8_t> MakeGif(const GifLayout& layout, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
  auto put16 = [&](int v) { gif.push_back(static_cast<uint8_t>(v)), gif.push_back(static_cast<uint8_t>(v >> 8)); };
  put16(layout.left + layout.width + 10);
  put16(layout.top + layout.height + 10);
  gif.push_back(layout.table_bits ? static_cast<uint8_t>(0x80 | (layout.table_bits - 1)) : 0);
  gif.push_back(0), gif.push_back(0);
  auto put_table = [&](int bits) {
    for (int i = 0; i < (1 << bits); ++i) gif.insert(gif.end(), {static_cast<uint8_t>(i * 10), 100, 200});
  };
  if (layout.table_bits) put_table(layout.table_bits);
  gif.insert(gif.end(), layout.before_image.begin(), layout.before_image.end());
  gif.push_back(',');
  put16(layout.left), put16(layout.top), put16(layout.width), put16(layout.height);
  gif.push_back(static_cast<uint8_t>((layout.interlaced ? 0x40 : 0) |
                                     (layout.local_table_bits ? 0x80 | (layout.local_table_bits - 1) : 0)));
  if (layout.local_table_bits) put_table(layout.local_table_bits);
  gif.push_back(static_cast<uint8_t>(layout.code_size));
  gif.insert(gif.end(), data.begin(), data.end());
  gif.push_back(';');
  return gif;
}

// The colour indexes of an 8-bit picture, top row first.
std::vector<uint8_t> Indexes(const PackedDib& picture) {
  const auto geometry = CheckGeometry(picture, RowStart::kAfterPalette);
  std::vector<uint8_t> out;
  if (!geometry) return out;
  ConstDibRows rows(picture.Bytes(), *geometry);
  for (int y = 0; y < geometry->height; ++y) {
    const auto row = rows.TopDownRow(y);
    out.insert(out.end(), row.begin(), row.begin() + geometry->width);
  }
  return out;
}

TEST(GifDecoder, FixturesGiveTheIndependentDecodersPixels) {
  for (const char* name : {"plain", "interlaced", "extensions", "animated", "local-table"}) {
    SCOPED_TRACE(name);
    auto picture = ReadGifFile(DataPath(std::string("gif/") + name + ".gif"));
    ASSERT_TRUE(picture) << picture.code();
    EXPECT_EQ(picture->BitCount(), 8);
    EXPECT_EQ(test::CompareRgb(test::PictureRgb(*picture),
                               test::ReadRgbDump(DataPath(std::string("gif/") + name + ".rgb"))), "");
  }
}

// Pixels past the cut show colour 0 of the table; the rest are the whole file's.
TEST(GifDecoder, TruncatedFileKeepsTheRowsItHolds) {
  auto picture = ReadGifFile(DataPath("gif/truncated.gif"));
  ASSERT_TRUE(picture) << picture.code();
  const auto actual = test::PictureRgb(*picture).rgb;
  const auto whole = test::ReadRgbDump(DataPath("gif/interlaced.rgb")).rgb;
  ASSERT_EQ(actual.size(), whole.size());
  uint8_t bgr0[3];
  ConstDibRows(picture->Bytes(), *CheckGeometry(*picture, RowStart::kAfterPalette)).PaletteColour(0, bgr0);
  const std::vector<uint8_t> colour0 = {bgr0[2], bgr0[1], bgr0[0]};
  size_t decoded = 0, missing = 0;
  for (size_t i = 0; i < actual.size(); i += 3) {
    const std::vector<uint8_t> pixel(actual.begin() + i, actual.begin() + i + 3);
    if (std::equal(pixel.begin(), pixel.end(), whole.begin() + i)) {
      ++decoded;
    } else {
      EXPECT_EQ(pixel, colour0) << "pixel " << i / 3;
      ++missing;
    }
  }
  EXPECT_GT(decoded, 0u);
  EXPECT_GT(missing, 0u);
}

TEST(GifDecoder, HeaderOfTheDecodedPicture) {
  const std::vector<uint8_t> pixels = {0, 1, 1, 0, 1, 1, 1, 0, 0, 0, 0, 0, 1, 0, 1};
  auto picture = ReadGifBytes(MakeGif({.left = 20, .top = 30}, RootCodes(pixels, 2)));
  ASSERT_TRUE(picture) << picture.code();
  EXPECT_EQ(picture->Width(), 5);
  EXPECT_EQ(picture->Height(), 3);
  EXPECT_EQ(picture->BitCount(), 8);
  EXPECT_EQ(picture->SizeImage(), 8u * 3);
  EXPECT_EQ(picture->ClrUsed(), 2u);
  EXPECT_EQ(picture->BlockSize(), 40u + 8 + 24 + 16);
  EXPECT_EQ(Indexes(*picture), pixels);
  EXPECT_EQ(picture->Bytes()[40 + 4 + 0], 200);  // entry 1: blue 200, green 100, red 10
  EXPECT_EQ(picture->Bytes()[40 + 4 + 2], 10);
}

TEST(GifDecoder, InterlacedRowsLandInPassOrder) {
  GifDecodeState state;
  state.height = 10;
  state.interlaced = true;
  SetGifPasses(state);
  EXPECT_EQ(state.pass2, 2);
  EXPECT_EQ(state.pass3, 3);
  EXPECT_EQ(state.pass4, 5);
  std::vector<int> rows;
  for (int r = 0; r < 10; ++r) rows.push_back(GifImageRow(state, r));
  EXPECT_EQ(rows, (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));

  // Stream row r carries index r: image row y must then hold the r that maps to it.
  std::vector<uint8_t> stream;
  for (uint8_t r = 0; r < 10; ++r) stream.push_back(r);
  auto picture = ReadGifBytes(MakeGif({.width = 1, .height = 10, .table_bits = 4, .interlaced = true, .code_size = 4},
                                      RootCodes(stream, 4)));
  ASSERT_TRUE(picture) << picture.code();
  EXPECT_EQ(Indexes(*picture), (std::vector<uint8_t>{0, 5, 3, 6, 2, 7, 4, 8, 1, 9}));
}

TEST(GifDecoder, DecodesTheIndexesOfUnusualStreams) {
  std::vector<uint8_t> noise(64 * 80);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>((i * 7 + i / 64) % 4);
  auto early = RootCodes(std::vector<uint8_t>(7, 1), 2);  // only the first seven pixels
  early.pop_back();                                        // no terminator either: the file just ends
  auto early_gif = MakeGif({}, early);
  early_gif.pop_back();
  const std::vector<uint8_t> extensions = {'!', 0xF9, 4, 1, 0, 0, 1, 0,  // transparent index 1
                                           '!', 0xFE, 3, 'a', 'b', 'c', 2, 'd', 'e', 0};
  struct Case {
    const char* what;
    std::vector<uint8_t> gif;
    std::vector<uint8_t> indexes;
    uint32_t clr_used;
  };
  const Case cases[] = {
      {"local table replaces the global one",
       MakeGif({.width = 2, .height = 1, .local_table_bits = 3, .code_size = 3}, RootCodes({7, 1}, 3)), {7, 1}, 8},
      {"extensions before the image are skipped",
       MakeGif({.width = 2, .height = 1, .before_image = extensions}, RootCodes({1, 0}, 2)), {1, 0}, 2},
      {"a full table keeps twelve-bit codes",
       MakeGif({.width = 64, .height = 80, .table_bits = 2}, RootCodes(noise, 2, /*clear_when_full=*/false)),
       noise, 4},
      {"data ending early leaves index 0", early_gif, {1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto picture = ReadGifBytes(c.gif);
    ASSERT_TRUE(picture) << picture.code();
    EXPECT_EQ(picture->ClrUsed(), c.clr_used);
    EXPECT_EQ(Indexes(*picture), c.indexes);
  }
}

// Codes given one by one with their widths, for streams no encoder writes.
std::vector<uint8_t> Codes(std::initializer_list<std::pair<int, int>> codes) {
  CodeWriter out;
  for (auto [code, width] : codes) out.Put(code, width);
  return out.SubBlocks();
}

TEST(GifDecoder, RefusesDamagedFiles) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    Status status;
  };
  const auto good = RootCodes({0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0}, 2);
  auto header_and_trailer = MakeGif({}, good);
  header_and_trailer.resize(13 + 6);
  header_and_trailer.push_back(';');
  auto unknown_block = header_and_trailer;
  unknown_block.back() = 'x';
  auto ten_bytes = MakeGif({}, good);
  ten_bytes.resize(10);
  auto bad_signature = MakeGif({}, good);
  bad_signature[4] = '8';
  auto cut_table = MakeGif({.table_bits = 8}, good);
  cut_table.resize(13 + 100);
  auto cut_descriptor = MakeGif({}, good);
  cut_descriptor.resize(13 + 6 + 5);
  auto no_exponent = MakeGif({.table_bits = 0}, good);
  no_exponent.resize(13);
  no_exponent.insert(no_exponent.end(), {'!', 1, 0});
  const Case cases[] = {
      {"10 bytes", ten_bytes, Status::kCannotOpen},
      {"signature", bad_signature, Status::kUnsupported},
      {"trailer before any image", header_and_trailer, Status::kGifTrailerBeforeImage},
      {"unknown block", unknown_block, Status::kGifUnknownBlock},
      {"extension runs out", MakeGif({.before_image = {'!', 1, 200, 1, 2}}, {}), Status::kGifExtensionRunsOut},
      {"no table exponent", no_exponent, Status::kGifNoTableExponent},
      {"no colour table", MakeGif({.table_bits = 0}, good), Status::kGifNoColourTable},
      {"width 0", MakeGif({.width = 0}, good), Status::kGifZeroWidth},
      {"height 0", MakeGif({.height = 0}, good), Status::kGifZeroHeight},
      {"code size 1", MakeGif({.code_size = 1}, good), Status::kGifBadCodeSize},
      {"code size 12", MakeGif({.code_size = 12}, good), Status::kGifBadCodeSize},
      {"code above the end code after a clear", MakeGif({}, Codes({{4, 3}, {6, 3}})),
       Status::kGifBadCodeAfterClear},
      // 0, then 7 (beyond the next free code 6) makes 7 the previous code while
      // the next free code is only 7; the code after it must not refer to it.
      {"prefix beyond the table, known code", MakeGif({}, Codes({{4, 3}, {0, 3}, {7, 3}, {0, 3}})),
       Status::kGifBadPrefixKnown},
      {"prefix beyond the table, unknown code", MakeGif({}, Codes({{4, 3}, {0, 3}, {7, 3}, {7, 3}})),
       Status::kGifBadPrefixUnknown},
      {"colour table past the data", cut_table, Status::kCannotOpen},
      {"descriptor past the data", cut_descriptor, Status::kCannotOpen},
      {"too large", MakeGif({.width = 65535, .height = 65535}, good), Status::kTooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadGifBytes(c.bytes).status(), c.status);
  }
  EXPECT_EQ(ReadGifFile(DataPath("gif/no-such-file.gif")).status(), Status::kCannotOpen);
}

}  // namespace
}  // namespace quorel
