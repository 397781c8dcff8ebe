// Quorel — SPDX-License-Identifier: MIT
#include "image/DibPrimitives.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorel {
namespace {

TEST(DibPrimitivesTest, CreateDib24SizesAndRefusals) {
  EXPECT_FALSE(CreateDib24(0, 10));
  EXPECT_FALSE(CreateDib24(10, -1));
  EXPECT_FALSE(CreateDib24(1 << 16, 1 << 13));  // 2^29 pixels: over the limit

  auto one = CreateDib24(1, 1);
  ASSERT_TRUE(one);
  EXPECT_EQ(one->BlockSize(), 68u);
  EXPECT_EQ(one->SizeImage(), 4u);
  EXPECT_TRUE(std::all_of(one->Bytes().begin() + 40, one->Bytes().end(),
                          [](uint8_t b) { return b == 0; }));
}

TEST(DibPrimitivesTest, DuplicateKeepsTheWholeBlock) {
  std::vector<uint8_t> clipboard(500, 7);
  clipboard[0] = 40;
  auto original = PackedDib::FromBytes(clipboard);
  auto copy = DuplicateDib(*original);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->BlockSize(), 500u);
  EXPECT_TRUE(std::equal(copy->Bytes().begin(), copy->Bytes().end(), clipboard.begin()));
  EXPECT_FALSE(PackedDib::FromBytes({}));
}

TEST(DibPrimitivesTest, FillPaintsPixelsButNotPadding) {
  auto dib = CreateDib24(3, 2);  // stride 12: 9 pixel bytes and 3 padding
  FillDib(*dib, {1, 2, 3});
  const auto bytes = dib->Bytes();
  for (int row = 0; row < 2; ++row) {
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(bytes[40 + row * 12 + 3 * x], 1);
      EXPECT_EQ(bytes[40 + row * 12 + 3 * x + 2], 3);
    }
    EXPECT_EQ(bytes[40 + row * 12 + 9], 0);
  }
}

TEST(DibPrimitivesTest, FillLeavesOtherDepthsAndDamagedPicturesAlone) {
  auto dib = CreateDib24(4, 4);
  dib->SetField16(DibField::kBitCount, 8);
  const std::vector<uint8_t> before(dib->Bytes().begin(), dib->Bytes().end());
  FillDib(*dib, {9, 9, 9});
  EXPECT_TRUE(std::equal(before.begin(), before.end(), dib->Bytes().begin()));

  dib->SetField16(DibField::kBitCount, 24);
  dib->SetField32(DibField::kWidth, 100000);  // rows would run past the block
  FillDib(*dib, {9, 9, 9});                   // must not write outside it
  EXPECT_EQ(dib->Bytes()[40], 0);
}

}  // namespace
}  // namespace quorel
