// Quorel — SPDX-License-Identifier: MIT
#include "image/TwoLevel.h"

#include <gtest/gtest.h>

#include <vector>

#include "image/DibLayout.h"
#include "image/DibPrimitives.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

constexpr Colour kBlack = MakeColour(0, 0, 0);
constexpr Colour kWhite = MakeColour(255, 255, 255);

// A one-row palette picture (8 or 4 bits) with the given table and indexes.
PackedDib PaletteRow(int depth, const std::vector<Bgr>& table, const std::vector<uint8_t>& indexes) {
  return test::MakeIndexed(depth, static_cast<int32_t>(indexes.size()), 1, table,
                           [&](int x, int) { return indexes[x]; }, static_cast<uint32_t>(table.size()));
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
    const auto in = test::MakePicture24(static_cast<int32_t>(c.sums.size()), 1,
                                        [&](int x, int) { return Grey(c.sums[x]); });
    const auto out = ReduceToTwoLevels(in, kBlack, kWhite);
    ASSERT_TRUE(out) << c.what;
    EXPECT_EQ(TopRowBits(*out), c.background) << c.what;
  }
}

TEST(TwoLevelTest, OutputLayoutKeepsRowOrderAndCarriesInkAndBackground) {
  // 10 × 3: only the bottom row (stored first) is bright.
  const auto in = test::MakePicture24(10, 3, [](int, int y) { return Grey(y == 2 ? 765 : 0); });
  const Colour ink = MakeColour(0x12, 0x34, 0x56);
  const auto out = ReduceToTwoLevels(in, ink, kBlack);
  ASSERT_TRUE(out);
  EXPECT_EQ(out->BlockSize(), 40u + 8 + 4 * 3 + 16);
  EXPECT_EQ(out->BitCount(), 1);
  EXPECT_EQ(out->SizeImage(), 12u);
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
