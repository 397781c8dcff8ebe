// Quorel — SPDX-License-Identifier: MIT
#include "panel/NewPicture.h"

#include <gtest/gtest.h>

#include "codec/ImportPicture.h"
#include "image/ConvertTo24.h"
#include "panel/ImagePanel.h"
#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel {
namespace {

// The road the window took before: the whole picture read, then made 24-bit.
Result<Decoded> ReadWholeThenConvert(const std::filesystem::path& file) {
  Decoded decoded = QUOREL_TRY(ReadPictureFile(file));
  if (!IsSmallPicture(decoded.picture)) decoded.picture = QUOREL_TRY(ConvertTo24(std::move(decoded.picture)));
  return decoded;
}

// The block is what the working BMP stores and the preview is drawn from, so
// equal blocks keep both as they were.
TEST(NewPicture, GivesTheBlockOfTheWholePictureConverted) {
  const test::TempDir dir;
  auto photo = test::ReadFileBytes(test::DataPath("photo/signature.jpg"));  // 240 × 180
  const uint8_t density[] = {2, 0, 48, 0, 64};  // JFIF: dots per centimetre, 48 across, 64 down
  std::copy(std::begin(density), std::end(density), photo.begin() + 13);
  std::vector<std::filesystem::path> files = {
      test::DataPath("jpeg/truncated.jpg"), test::DataPath("jpeg/arithmetic.jpg"),   // cut; refused
      test::DataPath("gif/truncated.gif"), test::DataPath("gif/interlaced.gif"),    // by rows; whole
      test::DataPath("gif/plain.gif"), test::DataPath("photo/upright.png"),         // 7 × 5: kept 8-bit
      dir / "missing.jpg"};
  for (uint8_t value = 1; value <= 8; ++value) {  // every Exif orientation, the sides swapped from 5 on
    auto turned = photo;
    const uint8_t app1[] = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                            0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, value, 0, 0, 0, 0, 0, 0};
    turned.insert(turned.begin() + 2, std::begin(app1), std::end(app1));
    files.push_back(dir / ("turned-" + std::to_string(value) + ".jpg"));
    test::WriteFileBytes(files.back(), turned);
    turned.resize(turned.size() * 2 / 3);  // cut: the library fills the rest
    files.push_back(dir / ("cut-" + std::to_string(value) + ".jpg"));
    test::WriteFileBytes(files.back(), turned);
  }
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    const Result<Decoded> whole = ReadWholeThenConvert(file);
    const Result<Decoded> read = ReadNewPicture(file);
    ASSERT_EQ(read.status(), whole.status());
    if (!whole) continue;
    EXPECT_EQ(read->complete, whole->complete);
    const auto bytes = read->picture.Bytes(), expected = whole->picture.Bytes();
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), expected.begin(), expected.end()));
  }
}

}  // namespace
}  // namespace quorel
