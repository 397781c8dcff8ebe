// Quorel — SPDX-License-Identifier: MIT
#include "image/TwoLevel.h"

#include <gtest/gtest.h>

#include <vector>

#include "image/DibLayout.h"
#include "image/DibPrimitives.h"

namespace quorel {
namespace {

constexpr Colour kBlack = MakeColour(0, 0, 0);
constexpr Colour kWhite = MakeColour(255, 255, 255);

// A 24-bit picture, one row per vector, top row first.
PackedDib Picture24(const std::vector<std::vector<Bgr>>& top_down) {
  const auto height = static_cast<int32_t>(top_down.size());
  const auto width = static_cast<int32_t>(top_down[0].size());
  auto dib = CreateDib24(width, height);
  const auto g = CheckGeometry(*dib, RowStart::kAfterPalette);
  const DibRows rows(dib->Bytes(), *g);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const auto row = rows.TopDownRow(y);
      row[3 * x] = top_down[y][x].blue;
      row[3 * x + 1] = top_down[y][x].green;
      row[3 * x + 2] = top_down[y][x].red;
    }
  }
  return std::move(*dib);
}

// A one-row palette picture (8 or 4 bits) with the given table and indexes.
PackedDib PaletteRow(int depth, const std::vector<Bgr>& table, const std::vector<uint8_t>& indexes) {
  const auto width = static_cast<int32_t>(indexes.size());
  const uint64_t stride = RowStride(width, depth);
  auto dib = PackedDib::Allocate(kInfoHeaderSize + 4 * table.size() + stride);
  WriteInfoHeader(*dib, width, 1, static_cast<uint16_t>(depth), static_cast<uint32_t>(stride),
                  static_cast<uint32_t>(table.size()));
  auto bytes = dib->Bytes();
  for (size_t i = 0; i < table.size(); ++i) {
    bytes[40 + 4 * i] = table[i].blue;
    bytes[40 + 4 * i + 1] = table[i].green;
    bytes[40 + 4 * i + 2] = table[i].red;
  }
  const size_t row = 40 + 4 * table.size();
  for (size_t x = 0; x < indexes.size(); ++x) {
    if (depth == 8) bytes[row + x] = indexes[x];
    else bytes[row + x / 2] |= static_cast<uint8_t>(x % 2 ? indexes[x] : indexes[x] << 4);
  }
  return std::move(*dib);
}

// The bits of a 1-bit picture's top row: true where the pixel is background.
std::vector<bool> TopRowBits(const PackedDib& dib) {
  const auto g = CheckGeometry(dib, RowStart::kAfterPalette);
  const ConstDibRows rows(dib.Bytes(), *g);
  std::vector<bool> bits;
  for (int32_t x = 0; x < g->width; ++x) bits.push_back((rows.TopDownRow(0)[x / 8] >> (7 - x % 8)) & 1);
  return bits;
}

Bgr Grey(int sum) {  // a pixel whose blue + green + red is `sum`
  const int base = sum / 3;
  return {static_cast<uint8_t>(base + (sum % 3 > 0)), static_cast<uint8_t>(base + (sum % 3 > 1)),
          static_cast<uint8_t>(base)};
}

TEST(TwoLevelTest, BackgroundDependsOnTheInksBrightness) {
  struct Case { Colour ink; Colour background; };
  const Case cases[] = {
      {MakeColour(0, 0, 0), kWhite},        // the signature's default
      {MakeColour(128, 0, 0), kWhite},      // sum 128: still dark
      {MakeColour(129, 0, 0), kBlack},      // sum 129
      {MakeColour(0, 0, 129), kBlack},      // blue counts as much as red
      {MakeColour(43, 43, 42), kWhite},     // sum 128 spread over three bytes
      {MakeColour(255, 0, 0), kBlack},      // the seal's default red
      {MakeColour(255, 255, 255), kBlack},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseBackground(c.ink), c.background) << std::hex << c.ink;
}

TEST(TwoLevelTest, TrueColourThresholdSitsHalfwayBetweenTheExtremes) {
  struct Case { const char* what; std::vector<int> sums; std::vector<bool> background; };
  const Case cases[] = {
      {"black text on white: threshold 382", {0, 765, 382, 383}, {false, true, false, true}},
      {"darkest 300, brightest 301", {300, 301, 300, 301}, {false, true, false, true}},
      {"odd span truncates", {10, 13, 11, 12}, {false, true, false, true}},  // threshold 11
      {"pale pen on white", {700, 765, 732, 733}, {false, true, false, true}},
      {"uniform colour is all ink", {500, 500, 500, 500}, {false, false, false, false}},
  };
  for (const auto& c : cases) {
    std::vector<Bgr> row;
    for (int sum : c.sums) row.push_back(Grey(sum));
    const auto out = ReduceToTwoLevels(Picture24({row}), kBlack, kWhite);
    ASSERT_TRUE(out) << c.what;
    EXPECT_EQ(TopRowBits(*out), c.background) << c.what;
  }
}

TEST(TwoLevelTest, OutputLayoutKeepsRowOrderAndCarriesInkAndBackground) {
  // 10 × 3: only the bottom row (stored first) is bright.
  const Bgr dark{0, 0, 0}, bright{255, 255, 255};
  const auto in = Picture24({std::vector<Bgr>(10, dark), std::vector<Bgr>(10, dark),
                             std::vector<Bgr>(10, bright)});
  const Colour ink = MakeColour(0x12, 0x34, 0x56);
  const auto out = ReduceToTwoLevels(in, ink, kBlack);
  ASSERT_TRUE(out);
  EXPECT_EQ(out->BlockSize(), 40u + 8 + 4 * 3 + 16);
  EXPECT_EQ(out->HeaderSize(), 40u);
  EXPECT_EQ(out->Width(), 10);
  EXPECT_EQ(out->Height(), 3);
  EXPECT_EQ(out->Planes(), 1);
  EXPECT_EQ(out->BitCount(), 1);
  EXPECT_EQ(out->SizeImage(), 12u);
  EXPECT_EQ(out->ClrUsed(), 0u);
  const auto b = out->Bytes();
  const std::vector<uint8_t> table(b.begin() + 40, b.begin() + 48);
  EXPECT_EQ(table, (std::vector<uint8_t>{0x56, 0x34, 0x12, 0, 0, 0, 0, 0}));
  // Stored row 0 is background: ten 1-bits, padding bits and bytes zero.
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 48, b.begin() + 52),
            (std::vector<uint8_t>{0xFF, 0xC0, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 52, b.end()), std::vector<uint8_t>(8 + 16, 0));
}

TEST(TwoLevelTest, PaletteEntriesDecideByTheTopBitOfBlue) {
  const std::vector<Bgr> table = {
      {127, 255, 255},  // 0: blue 127, red and green ignored: ink
      {128, 0, 0},      // 1: blue 128: background
      {255, 0, 0},      // 2: background
      {0, 255, 255},    // 3: ink
  };
  // Index 9 lies beyond the four-entry table: it reads as black, so ink.
  const std::vector<uint8_t> indexes = {0, 1, 2, 3, 9, 1};
  const std::vector<bool> expected = {false, true, true, false, false, true};
  for (int depth : {8, 4}) {
    const auto out = ReduceToTwoLevels(PaletteRow(depth, table, indexes), kBlack, kWhite);
    ASSERT_TRUE(out) << depth;
    EXPECT_EQ(TopRowBits(*out), expected) << depth;
  }
  // The high nibble is the left pixel.
  const auto nibbles = ReduceToTwoLevels(PaletteRow(4, table, {1, 0, 0, 1, 1}), kBlack, kWhite);
  EXPECT_EQ(TopRowBits(*nibbles), (std::vector<bool>{true, false, false, true, true}));
}

TEST(TwoLevelTest, OneBitInputIsCopiedExactly) {
  auto in = PackedDib::Allocate(40 + 8 + 4 + 16);
  WriteInfoHeader(*in, 3, 1, 1, 4);
  auto b = in->Bytes();
  b[40] = 0x11;  // its own colours, not the ink
  b[44] = 0x22;
  b[48] = 0xA0;
  const auto out = ReduceToTwoLevels(*in, MakeColour(255, 0, 0), kBlack);
  ASSERT_TRUE(out);
  EXPECT_TRUE(std::equal(out->Bytes().begin(), out->Bytes().end(), b.begin(), b.end()));
  EXPECT_NE(out->Bytes().data(), b.data());
}

TEST(TwoLevelTest, RefusesOtherDepthsAndDamagedPictures) {
  for (uint16_t depth : {16, 32, 2, 0}) {
    auto dib = CreateDib24(4, 4);
    dib->SetField16(DibField::kBitCount, depth);
    EXPECT_FALSE(ReduceToTwoLevels(*dib, kBlack, kWhite)) << depth;
  }
  auto tall = CreateDib24(4, 4);
  tall->SetField32(DibField::kHeight, 5000);  // rows beyond the block
  EXPECT_FALSE(ReduceToTwoLevels(*tall, kBlack, kWhite));
  auto big_table = PaletteRow(8, {{0, 0, 0}}, {0, 0});
  big_table.SetField32(DibField::kClrUsed, 1u << 30);  // colour table beyond the block
  EXPECT_FALSE(ReduceToTwoLevels(big_table, kBlack, kWhite));
  auto one_bit = PackedDib::Allocate(40 + 8);
  WriteInfoHeader(*one_bit, 8, 1, 1, 4);  // header claims a row the block lacks
  EXPECT_FALSE(ReduceToTwoLevels(*one_bit, kBlack, kWhite));
}

}  // namespace
}  // namespace quorel
