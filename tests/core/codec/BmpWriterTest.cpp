// Quorel — SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include "ImportTestPixels.h"
#include "codec/bmp/BmpFile.h"
#include "support/TempDir.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

// A picture whose table and pixels are a pattern, with 16 spare bytes behind its rows that must not reach
// the file.
PackedDib MakePicture(int32_t width, int32_t height, int bits, uint32_t entries) {
  const PackedDib dib = CreateDib(width, height, bits, entries).value();
  std::vector<uint8_t> bytes(dib.Bytes().begin(), dib.Bytes().end());
  for (size_t i = kInfoHeaderSize; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  bytes.resize(bytes.size() + 16, 0xEE);
  return PackedDib::FromBytes(bytes).value();
}

// The file is the block's header, table and rows behind a file header, read back as the same picture.
TEST(BmpWriter, WritesHeaderTableAndRows) {
  // width, height, bits, colour-table entries, file size, offset of the rows
  const std::array<uint32_t, 6> cases[] = {
      {3, 2, 24, 0, 14 + 40 + 24, 54}, {3, 2, 1, 2, 14 + 40 + 8 + 8, 62}, {2, 2, 32, 0, 14 + 40 + 16, 54},
      {5, 3, 4, 16, 14 + 40 + 64 + 12, 118}, {2, 1, 24, 3, 14 + 40 + 12 + 8, 66},  // 24 bits after a table
  };
  test::TempDir dir;
  for (const auto& [width, height, bits, entries, file_size, off_bits] : cases) {
    SCOPED_TRACE(off_bits);
    PackedDib picture = MakePicture(int32_t(width), int32_t(height), int(bits), entries);
    test::WriteFileBytes(dir / "out.bmp", {1, 2, 3});
    ASSERT_TRUE(WriteBmpFile(picture, dir / "out.bmp"));
    const auto file = test::ReadFileBytes(dir / "out.bmp");
    ASSERT_EQ(file.size(), file_size);
    // "BM", file size, reserved, rows' offset, biSizeImage
    const std::vector<uint32_t> fields = {LoadLe16(file, 0), LoadLe32(file, 2), LoadLe32(file, 6),
                                          LoadLe32(file, 10), LoadLe32(file, 14 + 20)};
    EXPECT_EQ(fields, (std::vector<uint32_t>{0x4D42, file_size, 0, off_bits, file_size - off_bits}));
    EXPECT_TRUE(std::equal(file.begin() + 14, file.end(), picture.Bytes().begin()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no temporary left
  }
}

// Depths and headers it does not write, and damaged pictures, create no file.
TEST(BmpWriter, RefusesWithoutCreatingAFile) {
  using enum DibField;
  const std::tuple<DibField, uint32_t, Status> cases[] = {
      {kBitCount, 16, Status::kUnsupported}, {kSize, 12, Status::kUnsupported},
      {kHeight, static_cast<uint32_t>(-2), Status::kBadInput}, {kHeight, 1000, Status::kBadInput}};
  test::TempDir dir;
  for (const auto& [field, value, status] : cases) {
    PackedDib picture = test::WithField(MakePicture(3, 2, 24, 0), field, value);
    EXPECT_EQ(WriteBmpFile(picture, dir / "refused.bmp").status(), status) << value;
    EXPECT_FALSE(std::filesystem::exists(dir / "refused.bmp"));
  }
  // A full disk (a file-size limit here) leaves the old file whole, no temporary, errno at the cause.
  test::WriteFileBytes(dir / "old.bmp", {1, 2, 3});
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit small{16, limit.rlim_max};
  std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  PackedDib picture = MakePicture(3, 2, 24, 0);
  const Status status = WriteBmpFile(picture, dir / "old.bmp").status();
  const std::pair written(status, errno);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  EXPECT_EQ(written, std::pair(Status::kCannotOpen, EFBIG));
  EXPECT_EQ(test::ReadFileBytes(dir / "old.bmp"), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace quorel
