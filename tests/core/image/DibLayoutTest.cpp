// Quorel — SPDX-License-Identifier: MIT
#include "image/DibLayout.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "image/DibPrimitives.h"

namespace quorel {
namespace {

TEST(DibLayoutTest, StrideAndPaletteRule) {
  struct Case { int64_t width; int bits; uint64_t stride; };
  for (const Case& c : {Case{1, 24, 4}, {4, 24, 12}, {1, 1, 4}, {33, 1, 8}, {3, 4, 4}, {5, 8, 8},
                        {3, 16, 8}, {7, 32, 28}, {9, 2, 0}}) {
    EXPECT_EQ(RowStride(c.width, c.bits), c.stride) << c.width << "@" << c.bits;
  }
  auto header = [](uint32_t size, uint16_t bits, uint8_t used) {
    std::vector<uint8_t> h(40, 0);
    h[0] = static_cast<uint8_t>(size);
    h[size == 12 ? 10 : 14] = static_cast<uint8_t>(bits);
    h[32] = used;
    return h;
  };
  EXPECT_EQ(PaletteEntries(header(40, 8, 17)), 17u);
  EXPECT_EQ(PaletteEntries(header(40, 24, 5)), 5u);
  EXPECT_EQ(PaletteEntries(header(40, 4, 0)), 16u);
  EXPECT_EQ(PaletteBytes(header(12, 8, 0)), 768u);  // three-byte entries
}

TEST(DibLayoutTest, CreateDibAndGeometryChecks) {
  EXPECT_EQ(CreateDib(0, 10, 24).status(), Status::kBadInput);
  EXPECT_EQ(CreateDib(10, 10, 16).status(), Status::kBadInput);
  EXPECT_EQ(CreateDib(1 << 16, 1 << 13, 24).status(), Status::kTooLarge);  // 2^29 pixels
  // Pixels left as they come still get zero padding.
  auto dib = CreateDib(3, 2, 24, 2, PixelFill::kNone);
  ASSERT_TRUE(dib);
  EXPECT_EQ(dib->BlockSize(), 40u + 8 + 24);
  for (int row = 0; row < 2; ++row) EXPECT_EQ(dib->Bytes()[48 + row * 12 + 9], 0);
  ASSERT_TRUE(CheckGeometry(*dib));
  EXPECT_EQ(CheckGeometry(*dib)->pixel_offset, 48u);  // behind the colour table

  dib->SetField32(DibField::kHeight, 1000);  // rows beyond the block
  EXPECT_FALSE(CheckGeometry(*dib));
  dib->SetField32(DibField::kHeight, 2);
  dib->SetField32(DibField::kClrUsed, 0xFFFFFFFF);  // colour table beyond the block
  EXPECT_FALSE(CheckGeometry(*dib));
  EXPECT_TRUE(CheckGeometryAt(*dib, 40));
  dib->SetField32(DibField::kHeight, static_cast<uint32_t>(-2));  // top-down
  EXPECT_FALSE(CheckGeometry(*dib));
  const uint8_t tiny[] = {40, 0, 0};
  EXPECT_FALSE(CheckGeometry(*PackedDib::FromBytes(tiny)));
}

TEST(DibLayoutTest, FillPaintsPixelsOnlyOfSoundTwentyFourBitPictures) {
  auto dib = CreateDib(3, 2, 24);
  FillDib(*dib, {1, 2, 3});
  const auto b = dib->Bytes();
  EXPECT_EQ(std::count(b.begin() + 40, b.end(), 1), 6);
  EXPECT_EQ(std::count(b.begin() + 40, b.end(), 0), 6);  // padding
  dib->SetField32(DibField::kWidth, 100000);  // rows would run past the block
  FillDib(*dib, {9, 9, 9});
  EXPECT_EQ(b[40], 1);
}

}  // namespace
}  // namespace quorel
