// Quorel — SPDX-License-Identifier: MIT
#include "image/DibLayout.h"

#include <gtest/gtest.h>


namespace quorel {
namespace {

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

}  // namespace
}  // namespace quorel
