// Quorel — SPDX-License-Identifier: MIT
#include "image/ConvertTo24.h"

#include <gtest/gtest.h>

#include <tuple>

#include "common/LittleEndian.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

using test::Grey;
using test::PixelAt;

// Indexes that differ by column and by row, so swapped nibbles, bit order or
// rows show up; width 19 leaves a partly used last byte in every depth.
int IndexAt(int bits, int x, int y) { return (x * 3 + y * 5) % (bits == 1 ? 2 : 16); }

TEST(ConvertTo24Test, IndexedPixelsBecomeTheirTableColoursBeyondItBlack) {
  std::vector<Bgr> palette;
  for (int i = 0; i < 16; ++i) palette.push_back({static_cast<uint8_t>(i * 16), static_cast<uint8_t>(i), 200});
  for (const int bits : {1, 4, 8}) {
    const uint32_t entries = bits == 8 ? 12 : 0;  // 8 bits: indexes 12–15 lie beyond the table
    auto picture = test::MakeIndexed(bits, 19, 7, palette, [&](int x, int y) { return IndexAt(bits, x, y); },
                                     entries);
    const auto result = ConvertTo24(std::move(picture));
    ASSERT_TRUE(result) << bits;
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 19; ++x) {
        const int index = IndexAt(bits, x, y);
        ASSERT_EQ(PixelAt(*result, x, y), bits == 8 && index >= 12 ? Bgr{} : palette[index]) << bits;
      }
    }
  }
}

TEST(ConvertTo24Test, DirectColourLayouts) {
  // 32 bits: the fourth byte carries no colour; the clipboard's form adds
  // blue-green-red bit-field masks in front of the rows.
  auto plain = CreateDib(2, 1, 32).value();
  auto masked = test::WithField(test::WithField(CreateDib(2, 1, 32, 3).value(), DibField::kCompression, 3),
                                DibField::kClrUsed, 0);
  for (uint32_t i = 0; i < 3; ++i) StoreLe32(masked.Bytes(), 40 + 4 * i, 0x00FF0000 >> (8 * i));
  for (auto [picture, at, alpha] : {std::tuple{&plain, 40, 0x7F000000u}, {&masked, 52, 0u}}) {
    StoreLe32(picture->Bytes(), at, alpha | 0x1E1E1E);
    StoreLe32(picture->Bytes(), at + 4, alpha | 0x5A5A5A);
  }
  // 24 bits behind a colour table lose the table.
  auto tabled = test::MakeIndexed(24, 2, 1, {Grey(1), Grey(2), Grey(3)}, [](int x, int) { return x ? 90 : 30; }, 3);
  for (PackedDib* picture : {&plain, &masked, &tabled}) {
    const auto result = ConvertTo24(std::move(*picture));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->ClrUsed(), 0u);
    EXPECT_EQ(std::pair(PixelAt(*result, 0, 0).blue, PixelAt(*result, 1, 0).blue), std::pair(uint8_t{30}, uint8_t{90}));
  }
}

TEST(ConvertTo24Test, CleanTwentyFourBitsComeBackAsTheyAreOthersAreRefused) {
  const auto clean = test::MakePicture24(3, 3, [](int x, int y) { return Grey(static_cast<uint8_t>(x * 3 + y)); });
  const auto same = ConvertTo24(PackedDib::FromBytes(clean.Bytes()).value());
  ASSERT_TRUE(same);
  EXPECT_TRUE(std::ranges::equal(same->Bytes(), clean.Bytes()));
  const std::tuple<DibField, uint32_t, Status> cases[] = {
      {DibField::kBitCount, 16, Status::kUnsupported}, {DibField::kBitCount, 2, Status::kUnsupported},
      {DibField::kCompression, 1, Status::kUnsupported},  // run-length rows are not rows
      {DibField::kHeight, 4000, Status::kBadInput},       // rows beyond the block
      {DibField::kHeight, static_cast<uint32_t>(-4), Status::kBadInput},  // top-down
  };
  for (const auto& [field, value, status] : cases) {
    auto picture = test::MakeIndexed(8, 4, 4, {Grey(1)}, [](int, int) { return 0; });
    EXPECT_EQ(ConvertTo24(test::WithField(std::move(picture), field, value)).status(), status) << value;
  }
}

}  // namespace
}  // namespace quorel
