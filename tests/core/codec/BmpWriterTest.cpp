// Quorel — SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "ImportTestPixels.h"
#include "codec/bmp/BmpFile.h"
#include "common/LittleEndian.h"
#include "image/DibLayout.h"
#include "image/DibPrimitives.h"
#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel {
namespace {

PackedDib MakePicture(int32_t width, int32_t height, uint16_t bits, uint32_t entries) {
  const uint64_t stride = RowStride(width, bits);
  auto dib = PackedDib::Allocate(40 + 4 * entries + stride * static_cast<uint64_t>(height) + 16);
  WriteInfoHeader(*dib, width, height, bits, 0, entries);
  for (size_t i = 40; i < dib->BlockSize() - 16; ++i) dib->Bytes()[i] = static_cast<uint8_t>(i * 7);
  return std::move(*dib);
}

TEST(BmpWriter, WritesHeaderTableAndRows) {
  struct Case {
    int32_t width, height;
    uint16_t bits;
    uint32_t entries;
    uint32_t file_size, off_bits, size_image;
  };
  const Case cases[] = {
      {3, 2, 24, 0, 14 + 40 + 24, 54, 24},
      {3, 2, 1, 2, 14 + 40 + 8 + 8, 62, 8},
      {5, 3, 4, 16, 14 + 40 + 64 + 12, 118, 12},
      {2, 2, 32, 0, 14 + 40 + 16, 54, 16},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    PackedDib picture = MakePicture(c.width, c.height, c.bits, c.entries);
    const auto path = dir / ("out" + std::to_string(c.bits) + ".bmp");
    ASSERT_TRUE(WriteBmpFile(picture, path));
    EXPECT_EQ(picture.SizeImage(), c.size_image);
    const auto file = test::ReadFileBytes(path);
    ASSERT_EQ(file.size(), c.file_size);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(LoadLe32(file, 2), c.file_size);
    EXPECT_EQ(LoadLe32(file, 6), 0u);
    EXPECT_EQ(LoadLe32(file, 10), c.off_bits);
    // Everything but the spare bytes, as it is in the block.
    EXPECT_TRUE(std::equal(file.begin() + 14, file.end(), picture.Bytes().begin()));
    // And it reads back as the same picture.
    auto back = ReadBmpFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(test::PictureRgb(*back).rgb, test::PictureRgb(picture).rgb);
  }
}

TEST(BmpWriter, ReplacesAtomically) {
  test::TempDir dir;
  const auto path = dir / "$quorel_s.bmp";
  test::WriteFileBytes(path, {1, 2, 3});
  PackedDib picture = MakePicture(3, 2, 24, 0);
  ASSERT_TRUE(WriteBmpFile(picture, path, FileReplace::kAtomically));
  EXPECT_EQ(test::ReadFileBytes(path).size(), 78u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()), 1);  // no temporary left over
}

TEST(BmpWriter, RefusesWithoutCreatingAFile) {
  struct Case {
    const char* what;
    PackedDib picture;
  };
  PackedDib top_down = MakePicture(3, 2, 24, 0);
  top_down.SetField32(DibField::kHeight, static_cast<uint32_t>(-2));
  PackedDib too_tall = MakePicture(3, 2, 24, 0);
  too_tall.SetField32(DibField::kHeight, 1000);
  PackedDib core = MakePicture(3, 2, 24, 0);
  core.SetField32(DibField::kSize, 12);
  Case cases[] = {
      {"16 bits", MakePicture(3, 2, 16, 0)},
      {"2 bits", MakePicture(3, 2, 2, 4)},
      {"top-down", std::move(top_down)},
      {"rows beyond the block", std::move(too_tall)},
      {"not a 40-byte header", std::move(core)},
  };
  test::TempDir dir;
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto path = dir / "refused.bmp";
    EXPECT_FALSE(WriteBmpFile(c.picture, path));
    EXPECT_FALSE(std::filesystem::exists(path));
  }
  PackedDib picture = MakePicture(3, 2, 24, 0);
  EXPECT_FALSE(WriteBmpFile(picture, dir / "no-such-folder" / "x.bmp"));
}

}  // namespace
}  // namespace quorel
