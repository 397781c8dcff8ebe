// Quorel — SPDX-License-Identifier: MIT
#include "codec/gif/GifEncoder.h"
#include <gtest/gtest.h>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include "ImportTestPixels.h"
#include "support/GiflibDecode.h"
#include "support/TestData.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

using Bytes = std::vector<uint8_t>;
using Pixel = std::function<int(int, int)>;

// A picture of 1, 4 or 8 bits from indexes given top row first; table entry i is red i, green 255 − i,
// blue 3i.
PackedDib MakePicture(int depth, int32_t width, int32_t height, const Bytes& top_down, uint32_t entries = 0) {
  std::vector<Bgr> palette;
  for (uint32_t i = 0; i < 256; ++i) palette.push_back({uint8_t(3 * i), uint8_t(255 - i), uint8_t(i)});
  return test::MakeIndexed(depth, width, height, palette,
                           [&](int x, int y) { return top_down[size_t(y) * width + x]; }, entries);
}

// A plain reference coder: greedy LZW over a map, a clear instead of code 4095.
using Codes = std::vector<std::pair<int, int>>;  // value, width
Codes ReferenceCodes(const Bytes& pixels, int n) {
  const int clear = 1 << n;
  std::map<std::pair<int, uint8_t>, int> table;
  int next = clear + 2, current = pixels[0], width = n + 1;
  Codes codes = {{clear, width}};
  for (size_t i = 1; i < pixels.size(); ++i) {
    if (auto it = table.find({current, pixels[i]}); it != table.end()) {
      current = it->second;
      continue;
    }
    codes.push_back({current, width});
    if (next == 4095) codes.push_back({clear, width}), table.clear(), next = clear + 2, width = n + 1;
    else if (table[{current, pixels[i]}] = next; next++ == 1 << width) ++width;
    current = pixels[i];
  }
  codes.insert(codes.end(), {{current, width}, {clear + 1, width}});
  return codes;
}

// The first image's minimum code size and its sub-blocks' bytes joined.
std::pair<int, Bytes> FirstImageData(const Bytes& gif) {
  size_t at = 13 + 3 * (size_t{2} << (gif.at(10) & 7));
  auto sub_blocks = [&](Bytes* into) {
    for (size_t n; (n = gif.at(at++)) != 0; at += n) {
      if (into) into->insert(into->end(), &gif.at(at), &gif.at(at) + n);
    }
  };
  while (gif.at(at) == 0x21) at += 2, sub_blocks(nullptr);
  EXPECT_EQ(gif.at(at), 0x2C);
  std::pair<int, Bytes> image{gif.at(at + 10), {}};
  at += 11;
  sub_blocks(&image.second);
  return image;
}

class GifEncoderTest : public ::testing::Test {
 protected:
  // Encodes; on success giflib must read back the very indexes of every frame.
  Status Encode(const GifEncodeRequest& request, const std::vector<Bytes>& frames) {
    auto gif = EncodeGif(request);
    if (!gif) return gif.status();
    file_.assign(gif->begin(), gif->end());
    decoded_ = test::DecodeWithGiflib(file_);
    EXPECT_TRUE(decoded_ && decoded_->frames.size() == frames.size());
    for (size_t i = 0; decoded_ && i < frames.size(); ++i) EXPECT_EQ(decoded_->frames[i].indexes, frames[i]);
    return Status::kOk;
  }
  Status EncodeOne(const PackedDib& picture, const Bytes& indexes, int32_t transparent = 1) {
    return Encode({transparent, {{&picture, 0}}}, {indexes});
  }

  Bytes file_;
  std::optional<test::GiflibImage> decoded_;
};

TEST_F(GifEncoderTest, WorkedExampleByteForByte) {
  const auto picture = test::MakeIndexed(1, 2, 2, {{0, 0, 0}, {255, 255, 255}}, [](int, int) { return 0; });
  ASSERT_EQ(EncodeOne(picture, Bytes(4, 0)), Status::kOk);
  const Bytes expected = {
      'G', 'I', 'F', '8', '7', 'a',
      0x02, 0x00, 0x02, 0x00, 0xF0, 0x00, 0x00,                    // logical screen
      0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF,                          // two colours
      0x21, 0xFE, 0x03, 'K', 'V', 'T', 0x00,                       // comment
      0x21, 0xF9, 0x04, 0x09, 0x00, 0x00, 0x01, 0x00,              // graphic control
      0x2C, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x00,  // image descriptor
      0x02, 0x02, 0x84, 0x51, 0x00,                                // codes 4 0 6 0 5 at 3 bits
      0x3B};
  EXPECT_EQ(file_, expected);
}

// Our coder and the reference agree code for code on pictures of every kind, including ones that fill the
// table many times over; code size and table follow the depth, the colour count and the transparent index.
TEST_F(GifEncoderTest, CodeStreamMatchesTheReferenceCoder) {
  std::mt19937 rng(2024);
  auto noise = [&rng](int colours) { return [&rng, colours](int, int) { return int(rng() % colours); }; };
  // entries 0: the depth's full table; code size and table exponent expected
  struct Case { const char* what; int depth, entries, transparent, code_size, exponent, w, h; Pixel pixel; };
  const Case cases[] = {
      {"one pixel: the program's own case", 1, 0, 1, 2, 1, 1, 1, [](int, int) { return 1; }},
      {"the transparent index needs room", 1, 0, 5, 3, 3, 64, 64, [](int x, int y) { return (x + y) & 1; }},
      {"stripes", 4, 0, 1, 4, 4, 99, 37, [](int x, int) { return x % 16; }},
      {"two-colour noise", 1, 0, 1, 2, 1, 600, 400, noise(2)},
      {"256-colour noise", 8, 0, 1, 8, 8, 300, 200, noise(256)},
      {"three colours: entry 3 black", 8, 3, 1, 2, 2, 123, 77, noise(3)},
      {"17 colours", 8, 17, 1, 5, 5, 21, 3, noise(17)},
      {"transparent index past the colours", 8, 2, 200, 8, 8, 7, 3, noise(2)},
      {"long run then noise", 8, 0, 1, 8, 8, 4096, 3, [&](int x, int) { return x < 3000 ? 7 : rng() & 255; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes pixels;
    for (int i = 0; i < c.w * c.h; ++i) pixels.push_back(static_cast<uint8_t>(c.pixel(i % c.w, i / c.w)));
    const auto picture = MakePicture(c.depth, c.w, c.h, pixels, uint32_t(c.entries));
    ASSERT_EQ(EncodeOne(picture, pixels, c.transparent), Status::kOk);
    const auto [code_size, data] = FirstImageData(file_);
    EXPECT_EQ(code_size, c.code_size);
    const auto codes = ReferenceCodes(pixels, c.code_size);
    EXPECT_EQ(data, test::PackCodes(codes));
    EXPECT_EQ(file_[10], 0xF0 | (c.exponent - 1));
    std::vector<test::GifRgb> table(size_t{1} << c.exponent, test::GifRgb{0, 0, 0});
    for (int i = 0; i < (c.entries ? c.entries : 1 << c.depth); ++i) {
      table[size_t(i)] = {uint8_t(i), uint8_t(255 - i), uint8_t(3 * i)};
    }
    EXPECT_EQ(decoded_->colours, table);
    // Two-colour noise fills the table: the stream holds clears sent at twelve bits.
    EXPECT_GE(std::ranges::count(codes, std::pair(1 << c.code_size, 12)), c.w == 600 ? 2 : 0);
  }
}

// Each frame keeps its delay and its own table's indexes (16 entries in the second: its rows start later);
// every frame carries the transparency; the file loops when it has more than one frame.
TEST_F(GifEncoderTest, FramesKeepDelaysTransparencyAndLoop) {
  const Bytes pa = {0, 1, 2, 3, 3, 2}, pb = {3, 3, 0, 0, 1, 2};
  const auto a = MakePicture(8, 3, 2, pa, 4), b = MakePicture(8, 3, 2, pb, 16);
  const std::string loop = "NETSCAPE2.0\x03\x01";
  auto loops = [&] { return std::ranges::search(file_, loop).begin() != file_.end(); };
  for (const int32_t transparent : {-1, -200, 0, 1}) {
    ASSERT_EQ(Encode({transparent, {{&a, 10}, {&b, 250}}}, {pa, pb}), Status::kOk);
    for (const auto& f : decoded_->frames) {
      EXPECT_EQ(std::pair(f.transparent_index, f.disposal), std::pair(std::max(transparent, -1), 2));
    }
    EXPECT_EQ(std::pair(decoded_->frames[0].delay, decoded_->frames[1].delay), std::pair(10, 250));
    EXPECT_EQ(decoded_->comments, std::vector<std::string>{"KVT"});
    EXPECT_TRUE(loops());
  }
  ASSERT_EQ(EncodeOne(a, pa), Status::kOk);
  EXPECT_FALSE(loops()) << "one frame loops";
}

// Requests GIF cannot hold, or that do not describe pictures, are refused.
TEST_F(GifEncoderTest, RefusedRequests) {
  auto changed = [](DibField field, uint32_t value) {  // a plain 2 × 2 picture with one field changed
    PackedDib picture = MakePicture(1, 2, 2, Bytes(4, 0));
    if (field == DibField::kHeight) picture.SetField32(field, value);
    else picture.SetField16(field, uint16_t(value));
    return picture;
  };
  const auto plain = MakePicture(1, 2, 2, Bytes(4, 0)), wider = MakePicture(1, 3, 2, Bytes(6, 0));
  const auto deeper = MakePicture(4, 2, 2, Bytes(4, 0)), too_wide = MakePicture(1, 70000, 1, Bytes(70000, 0));
  const auto true_colour = changed(DibField::kBitCount, 24), two_planes = changed(DibField::kPlanes, 2);
  const auto top_down = changed(DibField::kHeight, static_cast<uint32_t>(-2));
  const auto wide_index = MakePicture(8, 2, 2, {0, 1, 200, 1}, 2);  // 200 does not fit code size 2
  struct Case { const char* what; GifEncodeRequest request; Status status; };
  const Case cases[] = {
      {"no frame", {1, {}}, Status::kBadInput},
      {"24 bits", {1, {{&true_colour, 0}}}, Status::kBadInput},
      {"two planes", {1, {{&two_planes, 0}}}, Status::kBadInput},
      {"transparent index beyond one byte", {256, {{&plain, 0}}}, Status::kBadInput},
      {"wider than 65535", {1, {{&too_wide, 0}}}, Status::kBadInput},  // GIF sides are 16 bits
      {"no picture", {1, {{nullptr, 0}}}, Status::kBadInput},
      {"rows outside the block", {1, {{&top_down, 0}}}, Status::kBadInput},
      {"index beyond the code size", {1, {{&wide_index, 0}}}, Status::kBadInput},
      {"wider second frame", {1, {{&plain, 0}, {&wider, 0}}}, Status::kFrameMismatch},
      {"deeper second frame", {1, {{&plain, 0}, {&deeper, 0}}}, Status::kFrameMismatch},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeGif(c.request).status(), c.status) << c.what;
}

}  // namespace
}  // namespace quorel
