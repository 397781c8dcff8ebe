// Quorel — SPDX-License-Identifier: MIT
#include "image/ConvertTo24.h"

#include <gtest/gtest.h>

#include "common/LittleEndian.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

using test::Grey;
using test::PixelAt;

const std::vector<Bgr> kPalette = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {10, 20, 30},
                                   {40, 50, 60}, {70, 80, 90}, {1, 2, 3}, {4, 5, 6},
                                   {7, 8, 9}, {11, 12, 13}, {14, 15, 16}, {17, 18, 19},
                                   {21, 22, 23}, {24, 25, 26}, {27, 28, 29}, {31, 32, 33}};

// Indexes that differ by column and by row, so swapped nibbles, bit order or
// rows show up. Width 19 leaves a partly used last byte in every depth.
int IndexAt(int bit_count, int x, int y) { return (x * 3 + y * 5) % (bit_count == 1 ? 2 : 16); }

TEST(ConvertTo24Test, IndexedPixelsBecomeTheirTableColours) {
  for (const int bits : {1, 4, 8}) {
    SCOPED_TRACE(bits);
    const std::vector<Bgr> palette(kPalette.begin(), kPalette.begin() + (bits == 1 ? 2 : 16));
    auto picture = test::MakeIndexed(bits, 19, 7, palette,
                                     [&](int x, int y) { return IndexAt(bits, x, y); });
    const auto result = ConvertTo24(std::move(picture));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->BitCount(), 24);
    EXPECT_EQ(result->ClrUsed(), 0u);
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 19; ++x) ASSERT_EQ(PixelAt(*result, x, y), palette[IndexAt(bits, x, y)]);
    }
  }
}

TEST(ConvertTo24Test, IndexBeyondTheTableIsBlack) {
  auto picture = test::MakeIndexed(8, 16, 16, {Grey(200), Grey(100)},
                                   [](int x, int) { return x < 8 ? 1 : 9; }, 2);
  const auto result = ConvertTo24(std::move(picture));
  ASSERT_TRUE(result);
  EXPECT_EQ(PixelAt(*result, 0, 0), Grey(100));
  EXPECT_EQ(PixelAt(*result, 12, 0), Grey(0));
}

TEST(ConvertTo24Test, ThirtyTwoBitsDropTheFourthByte) {
  auto colour = [](int x, int y) {
    return Bgr{static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>(x + y)};
  };
  const auto result = ConvertTo24(test::MakePicture32(5, 3, colour));
  ASSERT_TRUE(result);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) ASSERT_EQ(PixelAt(*result, x, y), colour(x, y));
  }
}

TEST(ConvertTo24Test, ThirtyTwoBitsWithColourMasksSkipTheMasks) {
  // A clipboard bitmap: 40-byte header, compression 3, three masks, rows.
  const auto plain = test::MakePicture32(2, 1, [](int x, int) { return Grey(x ? 90 : 30); });
  auto picture = PackedDib::Allocate(plain.BlockSize() + 12);
  ASSERT_TRUE(picture);
  auto bytes = picture->Bytes();
  std::copy_n(plain.Bytes().begin(), 40, bytes.begin());
  std::copy(plain.Bytes().begin() + 40, plain.Bytes().end(), bytes.begin() + 52);
  picture->SetField32(DibField::kCompression, 3);
  StoreLe32(bytes, 40, 0x00FF0000);
  StoreLe32(bytes, 44, 0x0000FF00);
  StoreLe32(bytes, 48, 0x000000FF);
  const auto result = ConvertTo24(std::move(*picture));
  ASSERT_TRUE(result);
  EXPECT_EQ(PixelAt(*result, 0, 0), Grey(30));
  EXPECT_EQ(PixelAt(*result, 1, 0), Grey(90));
}

TEST(ConvertTo24Test, CleanTwentyFourBitsComeBackAsTheyAre) {
  const auto picture = test::MakePicture24(3, 3, [](int x, int y) { return Grey(static_cast<uint8_t>(x * 3 + y)); });
  const auto before = std::vector<uint8_t>(picture.Bytes().begin(), picture.Bytes().end());
  const auto result = ConvertTo24(picture);
  ASSERT_TRUE(result);
  EXPECT_EQ(std::vector<uint8_t>(result->Bytes().begin(), result->Bytes().end()), before);
}

TEST(ConvertTo24Test, TwentyFourBitsWithAColourTableLoseIt) {
  auto picture = test::MakeIndexed(24, 2, 2, {Grey(1), Grey(2), Grey(3)}, [](int, int) { return 0; }, 3);
  const auto g = CheckGeometry(picture, RowStart::kAfterPalette);
  ASSERT_TRUE(g);
  DibRows(picture.Bytes(), *g).TopDownRow(1)[3] = 77;  // blue of the bottom-right pixel
  const auto result = ConvertTo24(std::move(picture));
  ASSERT_TRUE(result);
  EXPECT_EQ(result->ClrUsed(), 0u);
  EXPECT_EQ(PixelAt(*result, 1, 1), (Bgr{77, 0, 0}));
}

TEST(ConvertTo24Test, Refusals) {
  struct Case {
    const char* what;
    PackedDib picture;
  };
  auto sixteen = test::MakeIndexed(8, 4, 4, {}, [](int, int) { return 0; });
  sixteen.SetField16(DibField::kBitCount, 16);
  auto rle = test::MakeIndexed(8, 4, 4, {Grey(1)}, [](int, int) { return 0; });
  rle.SetField32(DibField::kCompression, 1);
  auto too_high = test::MakeIndexed(8, 4, 4, {Grey(1)}, [](int, int) { return 0; });
  too_high.SetField32(DibField::kHeight, 4000);
  auto top_down = test::MakeIndexed(8, 4, 4, {Grey(1)}, [](int, int) { return 0; });
  top_down.SetField32(DibField::kHeight, static_cast<uint32_t>(-4));
  auto odd_masks = test::MakePicture32(2, 2, [](int, int) { return Grey(1); });
  odd_masks.SetField32(DibField::kCompression, 3);
  auto depth_two = test::MakeIndexed(8, 4, 4, {Grey(1)}, [](int, int) { return 0; });
  depth_two.SetField16(DibField::kBitCount, 2);

  Case cases[] = {{"16 bits", std::move(sixteen)},     {"run-length rows", std::move(rle)},
                  {"rows beyond the block", std::move(too_high)},
                  {"top-down rows", std::move(top_down)},
                  {"masks that are not blue-green-red", std::move(odd_masks)},
                  {"depth 2", std::move(depth_two)}};
  for (Case& c : cases) EXPECT_FALSE(ConvertTo24(std::move(c.picture))) << c.what;
}

}  // namespace
}  // namespace quorel
