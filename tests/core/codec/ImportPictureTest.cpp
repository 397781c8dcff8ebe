// Quorel — SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "codec/ImportPicture.h"
#include "image/DibPrimitives.h"
#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel {
namespace {

// The reader is chosen by the first letter after the last "." of the whole
// path, whatever the case and the rest of the extension.
TEST(ImportPicture, ChoosesTheReaderByTheFirstLetterOfTheExtension) {
  struct Case {
    const char* fixture;
    const char* name;
    int bit_count;
  };
  const Case cases[] = {
      {"bmp/pal8.bmp", "a.bmp", 8},       {"bmp/pal8.bmp", "A.BMP", 8},
      {"bmp/pal8.bmp", "a.b", 8},         {"bmp/pal8.bmp", "a.bin", 8},
      {"gif/plain.gif", "a.gif", 8},      {"gif/plain.gif", "a.Gx", 8},
      {"jpeg/grey.jpg", "photo.JPG", 24}, {"jpeg/grey.jpg", "photo.jpeg", 24},
      {"jpeg/grey.jpg", "x.j", 24},       {"jpeg/grey.jpg", "x.jfif", 24},
      {"png/rgb8.png", "a.png", 24},      {"png/rgb8.png", "a.PNG", 24},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::copy_file(test::DataPath(c.fixture), dir / c.name,
                               std::filesystem::copy_options::overwrite_existing);
    std::optional<PackedDib> slot;
    ASSERT_TRUE(ImportPictureFile(slot, dir / c.name));
    ASSERT_TRUE(slot);
    EXPECT_EQ(slot->BitCount(), c.bit_count);
    std::filesystem::remove(dir / c.name);  // a.b and A.BMP may be one file on some systems
  }
}

// A failed import leaves the slot empty, its old picture discarded first.
TEST(ImportPicture, FailureEmptiesTheSlot) {
  test::TempDir dir;
  const auto gif_named_jpg = dir / "fake.jpg";
  std::filesystem::copy_file(test::DataPath("gif/plain.gif"), gif_named_jpg);
  const auto folder_with_dot = dir / "my.pictures";
  std::filesystem::create_directory(folder_with_dot);
  std::filesystem::copy_file(test::DataPath("bmp/pal8.bmp"), folder_with_dot / "scan");
  std::filesystem::copy_file(test::DataPath("bmp/pal8.bmp"), dir / "noextension");
  std::filesystem::copy_file(test::DataPath("bmp/pal8.bmp"), dir / "picture.txt");
  const std::filesystem::path paths[] = {
      gif_named_jpg,
      folder_with_dot / "scan",           // judged by the folder's "p": not a PNG
      R"(C:\my.pictures\scan)",           // the same with the other separator
      dir / "noextension",
      dir / "picture.txt",
      dir / "trailing.",
      dir / "missing.bmp",
  };
  for (const auto& path : paths) {
    SCOPED_TRACE(path.string());
    std::optional<PackedDib> slot = CreateDib24(16, 16);
    EXPECT_FALSE(ImportPictureFile(slot, path));
    EXPECT_FALSE(slot.has_value());
  }
}

TEST(ImportPicture, ReadPictureFileKeepsTheReadersCode) {
  EXPECT_EQ(ReadPictureFile(test::DataPath("jpeg/cmyk.jpg")).status(), Status::kJpegColourSpace);
  EXPECT_EQ(ReadPictureFile(test::DataPath("bmp/rle8.bmp")).status(), Status::kUnsupported);
  EXPECT_EQ(ReadPictureFile("no/dot/here").status(), Status::kUnsupported);
}

}  // namespace
}  // namespace quorel
