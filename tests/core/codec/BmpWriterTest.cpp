// Quorel — SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "ImportTestPixels.h"
#include "codec/bmp/BmpFile.h"
#include "common/LittleEndian.h"
#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel {
namespace {

// A picture whose table and pixel bytes are a pattern, with 16 spare bytes
// behind its rows that must not reach the file.
PackedDib MakePicture(int32_t width, int32_t height, int bits, uint32_t entries) {
  const PackedDib dib = CreateDib(width, height, bits, entries).value();
  std::vector<uint8_t> bytes(dib.Bytes().begin(), dib.Bytes().end());
  for (size_t i = kInfoHeaderSize; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  bytes.resize(bytes.size() + 16, 0xEE);
  return PackedDib::FromBytes(bytes).value();
}

TEST(BmpWriter, WritesHeaderTableAndRows) {
  struct Case { int32_t width, height; int bits; uint32_t entries, file_size, off_bits; };
  const Case cases[] = {
      {3, 2, 24, 0, 14 + 40 + 24, 54},   {3, 2, 1, 2, 14 + 40 + 8 + 8, 62},
      {5, 3, 4, 16, 14 + 40 + 64 + 12, 118}, {2, 2, 32, 0, 14 + 40 + 16, 54},
      {2, 1, 24, 3, 14 + 40 + 12 + 8, 66},  // 24 bits behind a colour table
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.off_bits);
    PackedDib picture = MakePicture(c.width, c.height, c.bits, c.entries);
    const auto path = dir / "out.bmp";
    ASSERT_TRUE(WriteBmpFile(picture, path));
    const auto file = test::ReadFileBytes(path);
    ASSERT_EQ(file.size(), c.file_size);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(LoadLe32(file, 2), c.file_size);
    EXPECT_EQ(LoadLe32(file, 6), 0u);
    EXPECT_EQ(LoadLe32(file, 10), c.off_bits);
    EXPECT_EQ(LoadLe32(file, 14 + 20), c.file_size - c.off_bits);  // biSizeImage
    EXPECT_TRUE(std::equal(file.begin() + 14, file.end(), picture.Bytes().begin()));
    EXPECT_EQ(test::PictureRgb(ReadBmpFile(path).value()).rgb, test::PictureRgb(picture).rgb);
  }
}

TEST(BmpWriter, ReplacesAtomically) {
  test::TempDir dir;
  const auto path = dir / "$quorel_s.bmp";
  test::WriteFileBytes(path, {1, 2, 3});
  PackedDib picture = MakePicture(3, 2, 24, 0);
  ASSERT_TRUE(WriteBmpFile(picture, path, FileReplace::kAtomically));
  EXPECT_EQ(test::ReadFileBytes(path).size(), 78u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no temporary left
}

TEST(BmpWriter, RefusesWithoutCreatingAFile) {
  struct Case { const char* what; DibField field; uint32_t value; Status status; };
  const Case cases[] = {
      {"16 bits", DibField::kBitCount, 16, Status::kUnsupported},
      {"2 bits", DibField::kBitCount, 2, Status::kUnsupported},
      {"not a 40-byte header", DibField::kSize, 12, Status::kUnsupported},
      {"top-down", DibField::kHeight, static_cast<uint32_t>(-2), Status::kBadInput},
      {"rows beyond the block", DibField::kHeight, 1000, Status::kBadInput},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PackedDib picture = MakePicture(3, 2, 24, 0);
    if (c.field == DibField::kBitCount) picture.SetField16(c.field, static_cast<uint16_t>(c.value));
    else picture.SetField32(c.field, c.value);
    EXPECT_EQ(WriteBmpFile(picture, dir / "refused.bmp").status(), c.status);
    EXPECT_FALSE(std::filesystem::exists(dir / "refused.bmp"));
  }
  PackedDib picture = MakePicture(3, 2, 24, 0);
  EXPECT_EQ(WriteBmpFile(picture, dir / "no-such-folder" / "x.bmp").status(), Status::kCannotOpen);
}

}  // namespace
}  // namespace quorel
