// Quorel — SPDX-License-Identifier: MIT
#include "image/RgbaPicture.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>

#include "codec/ImportPicture.h"
#include "support/TestData.h"

namespace quorel {
namespace {

// A browser's RGBA rows of a PNG with transparency (here libpng's simplified
// reader stands in for the browser) make the picture the PNG reader makes of
// the file: the same compositing over white, the same colour order and rows.
TEST(RgbaPicture, MatchesThePngReadersCompositing) {
  for (const char* name : {"png/rgba8.png", "png/palette-trns.png"}) {
    SCOPED_TRACE(name);
    const auto file = test::ReadFileBytes(test::DataPath(name));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, file.data(), file.size()));
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr));
    const auto picture = PictureFromRgba(rgba, static_cast<int32_t>(image.width), static_cast<int32_t>(image.height));
    ASSERT_TRUE(picture) << picture.code();
    const auto read = ReadPictureFile(test::DataPath(name));
    ASSERT_TRUE(read);
    EXPECT_TRUE(std::ranges::equal(picture->Bytes(), read->picture.Bytes()));
  }
}

TEST(RgbaPicture, RefusesRowsThatDoNotFitTheSides) {
  const std::vector<uint8_t> two_by_two(16, 0);
  using enum Status;
  const std::tuple<int32_t, int32_t, size_t, Status> cases[] = {
      {2, 2, 16, kOk}, {2, 2, 15, kBadInput}, {4, 1, 12, kBadInput}, {0, 2, 0, kBadInput},
      {-2, -2, 16, kBadInput}, {1 << 16, 1 << 16, 16, kTooLarge},
  };
  for (const auto& [width, height, size, status] : cases) {
    EXPECT_EQ(PictureFromRgba(std::span(two_by_two).first(size), width, height).status(), status)
        << width << "x" << height;
  }
}

}  // namespace
}  // namespace quorel
