// Quorel — SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "ImportTestPixels.h"
#include "codec/png/PngReader.h"
#include "support/TestData.h"

namespace quorel {
namespace {

using test::DataPath;

TEST(PngReader, FixturesGiveTheIndependentDecodersPixels) {
  for (const char* name : {"rgb8", "grey8", "palette-trns", "rgba8", "interlaced", "grey16"}) {
    SCOPED_TRACE(name);
    auto picture = ReadPngFile(DataPath(std::string("png/") + name + ".png"));
    ASSERT_TRUE(picture) << picture.code();
    EXPECT_EQ(picture->BitCount(), 24);
    EXPECT_EQ(test::CompareRgb(test::PictureRgb(*picture), test::FixtureDump("png", name)), "");
  }
}

TEST(PngReader, RefusesDamagedFiles) {
  const auto good = test::ReadFileBytes(DataPath("png/rgb8.png"));
  auto bad_crc = good;
  bad_crc[20] ^= 1;  // inside IHDR
  const std::vector<uint8_t> cases[] = {
      {},
      std::vector<uint8_t>(good.begin(), good.begin() + 8),  // signature only
      std::vector<uint8_t>(good.begin(), good.end() - 30),   // cut in the image data
      bad_crc,
      test::ReadFileBytes(DataPath("bmp/rgb24.bmp")),
  };
  for (const auto& bytes : cases) EXPECT_EQ(ReadPngBytes(bytes).status(), Status::kPngLibrary) << bytes.size();
  EXPECT_EQ(ReadPngFile(DataPath("png/no-such-file.png")).status(), Status::kCannotOpen);
}

}  // namespace
}  // namespace quorel
