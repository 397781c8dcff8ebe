// Quorel — SPDX-License-Identifier: MIT
#include "image/DibLayout.h"

#include <gtest/gtest.h>

#include "image/DibPrimitives.h"

namespace quorel {
namespace {

TEST(DibLayoutTest, RowPaddingAndStrideByDepth) {
  struct Case { int64_t width; int bits; int padding; uint64_t stride; };
  const Case cases[] = {
      {1, 24, 1, 4}, {4, 24, 0, 12}, {1, 1, 3, 4}, {33, 1, 3, 8},
      {3, 4, 2, 4},  {5, 8, 3, 8},   {3, 16, 2, 8}, {7, 32, 0, 28}, {9, 2, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RowPadding(c.width, c.bits), c.padding) << c.width << "@" << c.bits;
    EXPECT_EQ(RowStride(c.width, c.bits), c.stride) << c.width << "@" << c.bits;
  }
}

TEST(DibLayoutTest, PaletteRuleForInfoAndCoreHeaders) {
  auto header = [](uint32_t size, uint16_t bits, uint32_t used) {
    std::vector<uint8_t> h(40, 0);
    h[0] = static_cast<uint8_t>(size);
    if (size == 12) h[10] = static_cast<uint8_t>(bits);
    else h[14] = static_cast<uint8_t>(bits);
    h[32] = static_cast<uint8_t>(used);
    return h;
  };
  EXPECT_EQ(PaletteEntries(header(40, 8, 17)), 17u);
  EXPECT_EQ(PaletteEntries(header(40, 24, 0)), 0u);
  EXPECT_EQ(PaletteEntries(header(40, 24, 5)), 5u);
  EXPECT_EQ(PaletteEntries(header(40, 4, 0)), 16u);
  EXPECT_EQ(PaletteBytes(header(40, 1, 0)), 8u);
  EXPECT_EQ(PaletteBytes(header(12, 8, 0)), 768u);  // three-byte entries
}

TEST(DibLayoutTest, GeometryRefusesRowsOutsideTheBlock) {
  auto dib = CreateDib24(10, 10);
  ASSERT_TRUE(dib);
  ASSERT_TRUE(CheckGeometry(*dib, RowStart::kAfterHeader));

  dib->SetField32(DibField::kHeight, 1000);  // rows beyond the block
  EXPECT_FALSE(CheckGeometry(*dib, RowStart::kAfterHeader));
  dib->SetField32(DibField::kHeight, 10);
  dib->SetField32(DibField::kClrUsed, 0xFFFFFFFF);  // colour table beyond the block
  EXPECT_FALSE(CheckGeometry(*dib, RowStart::kAfterPalette));
  EXPECT_TRUE(CheckGeometry(*dib, RowStart::kAfterHeader));
  dib->SetField32(DibField::kHeight, static_cast<uint32_t>(-10));  // top-down
  EXPECT_FALSE(CheckGeometry(*dib, RowStart::kAfterHeader));

  const uint8_t tiny[] = {40, 0, 0};
  EXPECT_FALSE(CheckGeometry(*PackedDib::FromBytes(tiny), RowStart::kAfterHeader));
}

}  // namespace
}  // namespace quorel
