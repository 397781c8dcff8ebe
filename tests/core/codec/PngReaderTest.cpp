// Quorel — SPDX-License-Identifier: MIT
#include "codec/png/PngReader.h"
#include <gtest/gtest.h>
#include "support/TestData.h"

namespace quorel {
namespace {

// A file cut in its image data is refused, not shown in part; the suite's broken files in CorporaTest
// and the import table cover the other refusals.
TEST(PngReader, RefusesAFileCutInItsImageData) {
  const auto good = test::ReadFileBytes(test::DataPath("png/rgb8.png"));
  EXPECT_EQ(ReadPngBytes(std::vector<uint8_t>(good.begin(), good.end() - 30)).status(), Status::kPngLibrary);
}

}  // namespace
}  // namespace quorel
