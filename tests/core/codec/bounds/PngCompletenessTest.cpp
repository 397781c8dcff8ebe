// Quorel — SPDX-License-Identifier: MIT
// A PNG whose every row is there is a picture, whatever follows the image data;
// an interlaced picture with transparency gives the same pixels as its plain
// twin, though it is now scattered pass by pass without a whole-image buffer.
#include <gtest/gtest.h>

#include <algorithm>

#include "codec/png/PngReader.h"
#include "support/TestData.h"

namespace quorel {
namespace {

std::vector<uint8_t> Pixels(const Result<Decoded>& picture) {
  if (!picture) return {};
  return {picture->picture.Bytes().begin(), picture->picture.Bytes().end()};
}

TEST(PngCompleteness, EveryRowDecodedIsAPictureWithoutTheEnd) {
  for (const char* name : {"rgb8", "grey16", "palette-trns", "rgba8", "interlaced"}) {
    SCOPED_TRACE(name);
    const auto whole = test::ReadFileBytes(test::DataPath(std::string("png/") + name + ".png"));
    const auto expected = Pixels(ReadPngBytes(whole));
    ASSERT_FALSE(expected.empty());
    const std::span<const uint8_t> bytes(whole);
    EXPECT_EQ(Pixels(ReadPngBytes(bytes.first(bytes.size() - 12))), expected) << "IEND missing";
    EXPECT_EQ(Pixels(ReadPngBytes(bytes.first(bytes.size() - 8))), expected) << "IEND cut short";
    EXPECT_EQ(ReadPngBytes(bytes.first(bytes.size() - 30)).status(), Status::kPngLibrary) << "rows missing";
  }
}

TEST(PngCompleteness, InterlacedTransparentPicturesMatchTheirPlainTwins) {
  const auto suite = test::CorpusPath("pngsuite/png");
  if (!suite) GTEST_SKIP() << "no pngsuite beside the project";
  for (const char* name : {"6a08", "4a16", "3p02", "0g01"}) {
    SCOPED_TRACE(name);
    const auto plain = Pixels(ReadPngFile(*suite / (std::string("basn") + name + ".png")));
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(Pixels(ReadPngFile(*suite / (std::string("basi") + name + ".png"))), plain);
  }
}

}  // namespace
}  // namespace quorel
