// Quorel — SPDX-License-Identifier: MIT
// The pixels of good and cut files are compared in ImportPictureTest and CorporaTest.
#include "codec/jpeg/JpegReader.h"
#include <gtest/gtest.h>
#include <algorithm>
#include "ImportTestPixels.h"

namespace quorel {
namespace {

using test::DataPath;
using Bytes = std::vector<uint8_t>;

TEST(JpegReader, RefusesWhatItDoesNotTake) {
  auto grey = test::ReadFileBytes(DataPath("jpeg/grey.jpg"));
  const uint8_t sof0[] = {0xFF, 0xC0};
  const auto sof = std::search(grey.begin() + 2, grey.end(), std::begin(sof0), std::end(sof0));
  ASSERT_NE(sof, grey.end());
  Bytes tables_only(grey.begin(), sof);
  tables_only.insert(tables_only.end(), {0xFF, 0xD9});
  const std::tuple<const char*, Bytes, Status> cases[] = {
      {"4 bytes", {0xFF, 0xD8, 0xFF, 0xD9}, Status::kCannotOpen},
      {"CMYK", test::ReadFileBytes(DataPath("jpeg/cmyk.jpg")), Status::kJpegColourSpace},
      {"arithmetic coding", test::ReadFileBytes(DataPath("jpeg/arithmetic.jpg")), Status::kJpegCoding},
      {"tables only", tables_only, Status::kJpegLibrary},
      {"header cut before the frame", Bytes(grey.begin(), grey.begin() + 30), Status::kJpegLibrary},
  };
  for (const auto& [what, bytes, status] : cases) EXPECT_EQ(ReadJpegBytes(bytes).status(), status) << what;
  // Lossless (SOF3) and hierarchical (SOF5…) frames: only the marker of a real
  // file changed, which is all the library looks at before it refuses.
  for (const uint8_t marker : {0xC3, 0xC5, 0xC7, 0xCB, 0xCD, 0xCF}) {
    sof[1] = marker;
    EXPECT_EQ(ReadJpegBytes(grey).status(), Status::kJpegCoding) << int{marker};
  }
}

}  // namespace
}  // namespace quorel
