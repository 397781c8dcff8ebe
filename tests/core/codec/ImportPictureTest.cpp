// Quorel — SPDX-License-Identifier: MIT
#include "codec/ImportPicture.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel {
namespace fs = std::filesystem;
namespace {

// The reader is chosen by the first letter after the last "." of the whole
// path, whatever the case and the rest of the extension.
TEST(ImportPicture, ChoosesTheReaderByTheFirstLetterOfTheExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"bmp/pal8.bmp", "a.bmp"},      {"bmp/pal8.bmp", "A.BMP"},     {"bmp/pal8.bmp", "a.b"},
      {"bmp/pal8.bmp", "a.bin"},      {"gif/plain.gif", "a.gif"},    {"gif/plain.gif", "a.Gx"},
      {"jpeg/grey.jpg", "photo.JPG"}, {"jpeg/grey.jpg", "x.jfif"},   {"png/rgb8.png", "a.PNG"},
  };
  test::TempDir dir;
  for (const auto& [fixture, name] : cases) {
    SCOPED_TRACE(name);
    fs::copy_file(test::DataPath(fixture), dir / name, fs::copy_options::overwrite_existing);
    std::optional<PackedDib> slot;
    EXPECT_TRUE(ImportPictureFile(slot, dir / name));  // any other reader refuses the file
    EXPECT_TRUE(slot);
    fs::remove(dir / name);  // a.b and A.BMP may be one file on some systems
  }
}

// A failed import keeps the reason and leaves the slot empty, its old picture discarded first.
TEST(ImportPicture, FailureKeepsTheReasonAndEmptiesTheSlot) {
  test::TempDir dir;
  fs::copy_file(test::DataPath("gif/plain.gif"), dir / "fake.jpg");
  fs::create_directory(dir / "my.pictures");
  for (const char* name : {"my.pictures/scan", "noextension", "picture.txt", "trailing."}) {
    fs::copy_file(test::DataPath("bmp/pal8.bmp"), dir / name);
  }
  const std::pair<fs::path, Status> cases[] = {
      {dir / "fake.jpg", Status::kJpegLibrary},
      {dir / "my.pictures" / "scan", Status::kPngLibrary},  // judged by the folder's "p"
      {R"(C:\my.pictures\scan)", Status::kCannotOpen},      // the same with the other separator
      {dir / "noextension", Status::kNoPictureExtension},
      {dir / "picture.txt", Status::kNoPictureExtension},
      {dir / "trailing.", Status::kNoPictureExtension},
      {dir / "missing.bmp", Status::kCannotOpen},
      {test::DataPath("jpeg/cmyk.jpg"), Status::kJpegColourSpace},
      {test::DataPath("bmp/rle8.bmp"), Status::kUnsupported},
  };
  for (const auto& [path, status] : cases) {
    SCOPED_TRACE(path.string());
    std::optional<PackedDib> slot = CreateDib(16, 16, 24).value();
    EXPECT_EQ(ImportPictureFile(slot, path).status(), status);
    EXPECT_FALSE(slot.has_value());
  }
}

}  // namespace
}  // namespace quorel
