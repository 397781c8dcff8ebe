// Quorel — SPDX-License-Identifier: MIT
#include "codec/gif/GifEncoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "image/DibLayout.h"
#include "support/GiflibDecode.h"
#include "support/TempDir.h"
#include "support/TestData.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

using test::DecodeWithGiflib;
using test::ReadFileBytes;
using test::TempDir;
using Bytes = std::vector<uint8_t>;

// A palette picture of 1, 4 or 8 bits from colour indexes given top row first.
// Entry i of its table is red i, green 255 − i, blue 3i (mod 256).
PackedDib MakePicture(int depth, int32_t width, int32_t height, const Bytes& top_down,
                      uint32_t clr_used = 0) {
  std::vector<Bgr> palette;
  for (uint32_t i = 0; i < (clr_used ? clr_used : 1u << depth); ++i) {
    palette.push_back({static_cast<uint8_t>(3 * i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i)});
  }
  return test::MakeIndexed(depth, width, height, palette, [&](int x, int y) {
    return top_down[static_cast<size_t>(y) * width + x];
  }, clr_used);
}

// --- A straightforward reference coder: greedy LZW over a map. ---------------

struct Code {
  uint32_t value;
  int width;
  bool operator==(const Code&) const = default;
};

std::vector<Code> ReferenceCodes(const Bytes& pixels, int n) {
  const uint32_t clear = 1u << n, end = clear + 1;
  std::map<std::pair<uint32_t, uint8_t>, uint32_t> table;
  uint32_t next = clear + 2;
  int width = n + 1;
  std::vector<Code> codes = {{clear, width}};
  uint32_t current = pixels[0];
  for (size_t i = 1; i < pixels.size(); ++i) {
    const uint8_t p = pixels[i];
    if (auto it = table.find({current, p}); it != table.end()) {
      current = it->second;
      continue;
    }
    codes.push_back({current, width});
    if (next == 4095) {  // table full: clear instead of assigning 4095
      codes.push_back({clear, width});
      table.clear();
      next = clear + 2;
      width = n + 1;
    } else {
      table[{current, p}] = next;
      if (next == (1u << width)) ++width;
      ++next;
    }
    current = p;
  }
  codes.push_back({current, width});
  codes.push_back({end, width});
  return codes;
}

Bytes Pack(const std::vector<Code>& codes) {
  Bytes out;
  uint32_t acc = 0;
  int bits = 0;
  for (const Code& c : codes) {
    acc |= c.value << bits;
    bits += c.width;
    for (; bits >= 8; bits -= 8, acc >>= 8) out.push_back(static_cast<uint8_t>(acc));
  }
  if (bits > 0) out.push_back(static_cast<uint8_t>(acc));
  return out;
}

// --- Reading back what the encoder wrote. -------------------------------------

struct ImageData {
  int min_code_size = 0;
  std::vector<size_t> block_sizes;
  Bytes data;  // the sub-blocks joined
};

// The image data of every frame, walking the blocks behind the colour table.
std::vector<ImageData> ImageDataOf(const Bytes& gif) {
  std::vector<ImageData> frames;
  size_t at = 13 + 3 * (size_t{2} << (gif.at(10) & 7));
  auto sub_blocks = [&](ImageData* into) {
    while (gif.at(at) != 0) {
      const size_t n = gif.at(at);
      if (into) into->block_sizes.push_back(n);
      if (into) into->data.insert(into->data.end(), gif.begin() + at + 1, gif.begin() + at + 1 + n);
      at += 1 + n;
    }
    ++at;
  };
  while (gif.at(at) != 0x3B) {
    if (gif.at(at) == 0x21) {
      at += 2;
      sub_blocks(nullptr);
    } else {
      EXPECT_EQ(gif.at(at), 0x2C);
      at += 10;
      ImageData frame;
      frame.min_code_size = gif.at(at++);
      sub_blocks(&frame);
      frames.push_back(frame);
    }
  }
  EXPECT_EQ(at + 1, gif.size()) << "bytes after the trailer";
  return frames;
}

class GifEncoderTest : public ::testing::Test {
 protected:
  // Encodes; on success also checks that giflib reads back the very indexes.
  Status Encode(const GifEncodeRequest& request, const std::vector<Bytes>& expected_frames = {}) {
    const Status status = EncodeGifFile(request, path_);
    if (status == Status::kOk) {
      file_ = ReadFileBytes(path_);
      std::string error;
      const auto decoded = DecodeWithGiflib(file_, &error);
      EXPECT_TRUE(decoded) << error;
      if (decoded && !expected_frames.empty()) {
        EXPECT_EQ(decoded->frames.size(), expected_frames.size());
        for (size_t i = 0; i < std::min(decoded->frames.size(), expected_frames.size()); ++i) {
          EXPECT_EQ(decoded->frames[i].indexes, expected_frames[i]) << "frame " << i;
        }
      }
    }
    return status;
  }
  Status EncodeOne(const PackedDib& picture, const Bytes& indexes, int32_t transparent = 1) {
    return Encode({transparent, {{&picture, 0}}}, {indexes});
  }

  TempDir dir_;
  std::filesystem::path path_ = dir_ / "$image.gif";
  Bytes file_;
};

TEST_F(GifEncoderTest, WorkedExampleByteForByte) {
  auto picture = MakePicture(1, 2, 2, Bytes(4, 0));
  auto b = picture.Bytes();
  std::fill(b.begin() + 40, b.begin() + 44, 0x00);  // entry 0 black
  std::fill(b.begin() + 44, b.begin() + 47, 0xFF);  // entry 1 white
  ASSERT_EQ(EncodeOne(picture, Bytes(4, 0)), Status::kOk);
  const Bytes expected = {
      'G', 'I', 'F', '8', '7', 'a',
      0x02, 0x00, 0x02, 0x00, 0xF0, 0x00, 0x00,             // logical screen
      0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF,                   // two colours
      0x21, 0xFE, 0x03, 'K', 'V', 'T', 0x00,                // comment
      0x21, 0xF9, 0x04, 0x09, 0x00, 0x00, 0x01, 0x00,       // graphic control
      0x2C, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x00,  // image descriptor
      0x02, 0x02, 0x84, 0x51, 0x00,                         // codes 4 0 6 0 5 at 3 bits
      0x3B};
  EXPECT_EQ(file_, expected);
}

TEST_F(GifEncoderTest, SixteenPixelsOfIndexOne) {
  ASSERT_EQ(EncodeOne(MakePicture(1, 4, 4, Bytes(16, 1)), Bytes(16, 1)), Status::kOk);
  const auto frames = ImageDataOf(file_);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].block_sizes, std::vector<size_t>{4});
  EXPECT_EQ(frames[0].data, (Bytes{0x8C, 0x8F, 0x19, 0x05}));
}

TEST_F(GifEncoderTest, CompressedDataSplitsIntoBlocksOf255) {
  // One row of random 8-bit indexes, as long as it takes for the data to
  // reach exactly the size under test.
  std::mt19937 random(7);
  Bytes row;
  for (int i = 0; i < 600; ++i) row.push_back(static_cast<uint8_t>(random()));
  std::map<size_t, size_t> width_of_size;  // the first width giving each size
  for (size_t width = row.size(); width >= 1; --width) {
    width_of_size[Pack(ReferenceCodes(Bytes(row.begin(), row.begin() + width), 8)).size()] = width;
  }
  struct Case { size_t size; std::vector<size_t> blocks; };
  const Case cases[] = {{254, {254}}, {255, {255}}, {256, {255, 1}}, {511, {255, 255, 1}}};
  for (const auto& c : cases) {
    ASSERT_TRUE(width_of_size.count(c.size)) << "no width gives " << c.size << " bytes";
    const size_t width = width_of_size[c.size];
    const Bytes pixels(row.begin(), row.begin() + width);
    ASSERT_EQ(EncodeOne(MakePicture(8, static_cast<int32_t>(width), 1, pixels), pixels),
              Status::kOk);
    const auto frames = ImageDataOf(file_);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].block_sizes, c.blocks) << c.size;
    EXPECT_EQ(frames[0].data.size(), c.size);
  }
}

TEST_F(GifEncoderTest, FullTableIsClearedAtTwelveBits) {
  // Random two-colour noise assigns a new code every few pixels.
  std::mt19937 random(1);
  const int32_t w = 600, h = 400;
  Bytes pixels;
  for (int i = 0; i < w * h; ++i) pixels.push_back(random() & 1);
  ASSERT_EQ(EncodeOne(MakePicture(1, w, h, pixels), pixels), Status::kOk);

  const auto codes = ReferenceCodes(pixels, 2);
  int clears = 0;
  for (size_t i = 1; i + 1 < codes.size(); ++i) {
    if (codes[i].value != 4) continue;
    ++clears;
    EXPECT_EQ(codes[i].width, 12);
    EXPECT_EQ(codes[i - 1].width, 12);
    EXPECT_EQ(codes[i + 1].width, 3);
  }
  EXPECT_GE(clears, 2);
  EXPECT_EQ(ImageDataOf(file_)[0].data, Pack(codes));
}

TEST_F(GifEncoderTest, TransparencyInEveryGraphicControlBlock) {
  const auto a = MakePicture(1, 3, 2, {0, 1, 0, 1, 0, 1});
  const auto b = MakePicture(1, 3, 2, {1, 1, 1, 0, 0, 0});
  struct Case { int32_t transparent; uint8_t packed; uint8_t index; };
  for (const Case c : {Case{-1, 0x08, 0}, Case{-200, 0x08, 0}, Case{1, 0x09, 1}, Case{0, 0x09, 0}}) {
    ASSERT_EQ(Encode({c.transparent, {{&a, 0}, {&b, 0}}}), Status::kOk);
    int seen = 0;
    for (size_t i = 0; i + 8 <= file_.size(); ++i) {
      if (file_[i] != 0x21 || file_[i + 1] != 0xF9) continue;
      ++seen;
      EXPECT_EQ(file_[i + 3], c.packed) << c.transparent;
      EXPECT_EQ(file_[i + 6], c.index) << c.transparent;
    }
    EXPECT_EQ(seen, 2);
  }
}

TEST_F(GifEncoderTest, CodeSizeAndTableFollowDepthColoursAndTransparentIndex) {
  struct Case {
    int depth;
    uint32_t clr_used;
    int32_t transparent;
    int min_code_size;
    uint8_t packed;
  };
  const Case cases[] = {
      {1, 0, 1, 2, 0xF0},    // the program's own case: two entries, code size 2
      {1, 0, -1, 2, 0xF0},
      {1, 0, 5, 3, 0xF2},    // the transparent index needs room in the table
      {4, 0, 1, 4, 0xF3},
      {8, 0, 1, 8, 0xF7},
      {8, 3, 1, 2, 0xF1},    // three colours: a four-entry table, entry 3 black
      {8, 17, 1, 5, 0xF4},
      {8, 2, 200, 8, 0xF7},
  };
  for (const auto& c : cases) {
    const int32_t w = 7, h = 3;
    Bytes pixels;
    const uint32_t colours = c.clr_used ? c.clr_used : (1u << c.depth);
    for (int i = 0; i < w * h; ++i) pixels.push_back(static_cast<uint8_t>((i * 5) % colours));
    const auto picture = MakePicture(c.depth, w, h, pixels, c.clr_used);
    ASSERT_EQ(EncodeOne(picture, pixels, c.transparent), Status::kOk) << c.depth;
    EXPECT_EQ(file_[10], c.packed) << c.depth << "/" << c.clr_used;
    EXPECT_EQ(ImageDataOf(file_)[0].min_code_size, c.min_code_size) << c.depth << "/" << c.clr_used;
    std::vector<test::GifRgb> table(size_t{2} << (c.packed & 7), test::GifRgb{0, 0, 0});
    for (uint32_t i = 0; i < colours; ++i) {
      table[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(3 * i)};
    }
    EXPECT_EQ(DecodeWithGiflib(file_)->colours, table) << c.depth << "/" << c.clr_used;
  }
}

// A refused request leaves an existing file alone when there is no frame, an
// empty file when the first picture is refused, the file's front (header,
// screen, two-entry table, comment) when its pixels are, and no trailer when a
// later frame is.
TEST_F(GifEncoderTest, RefusedRequestsAndWhatTheyLeave) {
  enum Leaves { kUntouched, kEmpty, kFront, kNoTrailer };
  auto true_colour = MakePicture(8, 4, 4, Bytes(16, 0));
  true_colour.SetField16(DibField::kBitCount, 24);
  auto two_planes = MakePicture(1, 4, 4, Bytes(16, 0));
  two_planes.SetField16(DibField::kPlanes, 2);
  const auto plain = MakePicture(1, 2, 2, Bytes(4, 0));
  const auto too_wide = MakePicture(1, 70000, 1, Bytes(70000, 0));  // GIF sides are 16 bits
  auto zero_height = MakePicture(1, 2, 1, Bytes(2, 0));
  zero_height.SetField32(DibField::kHeight, 0);
  auto tall = MakePicture(1, 2, 2, Bytes(4, 0));
  tall.SetField32(DibField::kHeight, 60000);  // rows far beyond the block
  const auto wide_index = MakePicture(8, 2, 2, {0, 1, 200, 1}, 2);  // 200 does not fit code size 2
  auto top_down = MakePicture(1, 2, 2, Bytes(4, 0));
  top_down.SetField32(DibField::kHeight, static_cast<uint32_t>(-2));
  const auto wider = MakePicture(1, 3, 2, Bytes(6, 0));
  const auto deeper = MakePicture(4, 2, 2, Bytes(4, 0));
  struct Case { const char* what; GifEncodeRequest request; Status status; Leaves leaves; };
  const Case cases[] = {
      {"no frame", {1, {}}, Status::kBadInput, kUntouched},
      {"24 bits", {1, {{&true_colour, 0}}}, Status::kBadInput, kEmpty},
      {"two planes", {1, {{&two_planes, 0}}}, Status::kBadInput, kEmpty},
      {"transparent index beyond one byte", {256, {{&plain, 0}}}, Status::kBadInput, kEmpty},
      {"wider than 65535", {1, {{&too_wide, 0}}}, Status::kBadInput, kEmpty},
      {"no picture", {1, {{nullptr, 0}}}, Status::kOutOfMemory, kEmpty},
      {"height 0", {1, {{&zero_height, 0}}}, Status::kBadInput, kFront},
      {"damaged height", {1, {{&tall, 0}}}, Status::kBadInput, kFront},
      {"index beyond the code size", {1, {{&wide_index, 0}}}, Status::kBadInput, kFront},
      {"top-down rows", {1, {{&top_down, 0}}}, Status::kBadInput, kFront},
      {"wider second frame", {1, {{&plain, 0}, {&wider, 0}}}, Status::kFrameMismatch, kNoTrailer},
      {"deeper second frame", {1, {{&plain, 0}, {&deeper, 0}}}, Status::kFrameMismatch, kNoTrailer},
  };
  const Bytes comment = {0x21, 0xFE, 0x03, 'K', 'V', 'T', 0x00};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::WriteFileBytes(path_, {1, 2, 3});
    EXPECT_EQ(EncodeGifFile(c.request, path_), c.status);
    const Bytes written = ReadFileBytes(path_);
    switch (c.leaves) {
      case kUntouched: EXPECT_EQ(written, (Bytes{1, 2, 3})); break;
      case kEmpty: EXPECT_TRUE(written.empty()); break;
      case kFront:
        ASSERT_EQ(written.size(), 6u + 7 + 6 + 7);
        EXPECT_EQ(Bytes(written.end() - 7, written.end()), comment);
        break;
      case kNoTrailer:
        ASSERT_FALSE(written.empty());
        EXPECT_NE(written.back(), 0x3B);
    }
  }
  EXPECT_EQ(EncodeGifFile({1, {}}, dir_ / "new.gif"), Status::kBadInput);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "new.gif"));
  EXPECT_EQ(EncodeGifFile({1, {{&plain, 0}}}, dir_ / "missing" / "x.gif"), Status::kCannotOpen);
}

// The second picture's table has 16 entries, not 4: its rows start 48 bytes
// later than the first picture's would.
TEST_F(GifEncoderTest, SeveralFramesLoopAndKeepTheirOwnDelaysAndTables) {
  const Bytes pa = {0, 1, 2, 3, 3, 2}, pb = {3, 3, 0, 0, 1, 2};
  const auto a = MakePicture(8, 3, 2, pa, 4);
  const auto b = MakePicture(8, 3, 2, pb, 16);
  ASSERT_EQ(Encode({1, {{&a, 10}, {&b, 250}}}, {pa, pb}), Status::kOk);
  const size_t after_comment = 6 + 7 + 3 * 4 + 7;
  const Bytes loop = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                      0x03, 0x01, 0x00, 0x00, 0x00};
  EXPECT_EQ(Bytes(file_.begin() + after_comment, file_.begin() + after_comment + 19), loop);
  const auto decoded = DecodeWithGiflib(file_);
  ASSERT_EQ(decoded->frames.size(), 2u);
  EXPECT_EQ(decoded->frames[0].delay, 10);
  EXPECT_EQ(decoded->frames[1].delay, 250);
  EXPECT_EQ(decoded->frames[1].disposal, 2);
  EXPECT_EQ(std::count(file_.begin(), file_.end(), 0x3B), 1) << "one trailer";
  EXPECT_EQ(decoded->comments, std::vector<std::string>{"KVT"});

  // One frame: no loop block.
  ASSERT_EQ(EncodeOne(a, pa), Status::kOk);
  EXPECT_EQ(file_[after_comment], 0x21);
  EXPECT_EQ(file_[after_comment + 1], 0xF9);
}

// Our coder and the map-based reference must agree code for code on pictures
// of every kind, including ones that fill the table many times over.
TEST_F(GifEncoderTest, CodeStreamMatchesAReferenceCoder) {
  std::mt19937 random(2024);
  struct Case { const char* what; int depth; int32_t w, h; std::function<uint8_t(int, int)> pixel; };
  auto noise = [&random](uint32_t colours) {
    return [&random, colours](int, int) { return static_cast<uint8_t>(random() % colours); };
  };
  const Case cases[] = {
      {"one pixel", 1, 1, 1, [](int, int) { return 1; }},
      {"plain white", 1, 300, 120, [](int, int) { return 1; }},
      {"checkerboard", 1, 64, 64, [](int x, int y) { return (x + y) & 1; }},
      {"stripes", 4, 99, 37, [](int x, int) { return x % 16; }},
      {"gradient", 8, 256, 64, [](int x, int y) { return (x + 3 * y) & 255; }},
      {"two-colour noise", 1, 333, 301, noise(2)},
      {"sparse ink", 1, 640, 200, [&random](int, int) { return random() % 50 != 0; }},
      {"16-colour noise", 4, 257, 129, noise(16)},
      {"256-colour noise", 8, 300, 200, noise(256)},
      {"few colours of eight bits", 8, 123, 77, noise(5)},
      {"long run then noise", 8, 4096, 3, [&random](int x, int) {
         return x < 3000 ? 7 : static_cast<uint8_t>(random());
       }},
  };
  for (const auto& c : cases) {
    Bytes pixels;
    for (int y = 0; y < c.h; ++y) {
      for (int x = 0; x < c.w; ++x) pixels.push_back(c.pixel(x, y));
    }
    const auto picture = MakePicture(c.depth, c.w, c.h, pixels);
    ASSERT_EQ(EncodeOne(picture, pixels), Status::kOk) << c.what;
    const auto frames = ImageDataOf(file_);
    ASSERT_EQ(frames.size(), 1u) << c.what;
    EXPECT_EQ(frames[0].data, Pack(ReferenceCodes(pixels, frames[0].min_code_size))) << c.what;
  }
}

}  // namespace
}  // namespace quorel
