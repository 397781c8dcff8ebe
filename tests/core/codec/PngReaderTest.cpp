// Quorel — SPDX-License-Identifier: MIT
#include "codec/png/PngReader.h"
#include <gtest/gtest.h>
#include "support/TestData.h"

namespace quorel {
namespace {

TEST(PngReader, RefusesDamagedFiles) {
  const auto good = test::ReadFileBytes(test::DataPath("png/rgb8.png"));
  auto bad_crc = good;
  bad_crc[20] ^= 1;  // inside IHDR
  const std::vector<uint8_t> cases[] = {{}, {good.begin(), good.begin() + 8} /* signature only */,
                                        {good.begin(), good.end() - 30} /* cut in the image data */, bad_crc,
                                        test::ReadFileBytes(test::DataPath("bmp/rgb24.bmp"))};
  for (const auto& b : cases) EXPECT_EQ(ReadPngBytes(b).status(), Status::kPngLibrary) << b.size();
  EXPECT_EQ(ReadPngFile(test::DataPath("png/no-such-file.png")).status(), Status::kCannotOpen);
}

}  // namespace
}  // namespace quorel
