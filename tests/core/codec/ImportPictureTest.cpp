// Quorel — SPDX-License-Identifier: MIT
#include "codec/ImportPicture.h"
#include "codec/PictureRefusal.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <zlib.h>
#include "ImportTestPixels.h"
#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel {
namespace fs = std::filesystem;
namespace {

// Every fixture reads, through the reader its extension picks, as the other decoder's dump beside it
// (16-bit BMP components keep 5 or 6 bits at the top of the byte, 31 → 248, where the dump stretches them:
// reduced alike). A file cut in its image data keeps the rows decoded before the cut (an interlaced GIF:
// the first pass's row 0; a JPEG: 15 lines, the 16th upsampled with the missing block row's colour), the
// rest differs, and only it says it is incomplete.
TEST(ImportPicture, FixturesGiveTheIndependentDecodersPixels) {
  int compared = 0;
  std::vector<std::string> folders{"bmp", "gif", "jpeg", "png"};
  if (ReadsHeif()) folders.push_back("heif");  // 2 files, decoded by heif-convert
  if (ReadsWebp()) folders.push_back("webp");  // 3 files, by dwebp
  for (const std::string& folder : folders) {
    for (const auto& entry : fs::directory_iterator(test::DataPath(folder))) {
      const std::string name = entry.path().stem().string();
      const bool cut = name == "truncated";
      const std::string dump = cut && folder == "gif" ? "interlaced" : name;
      if (entry.path().extension() == ".rgb" || !fs::exists(test::DataPath(folder) / (dump + ".rgb"))) continue;
      SCOPED_TRACE(entry.path().string());
      auto picture = ReadPictureFile(entry.path());
      ASSERT_TRUE(picture) << picture.code();
      EXPECT_EQ(picture->complete, !cut);
      auto expected = test::FixtureDump(folder, dump);
      for (size_t i = 0; name.starts_with("rgb16") && i < expected.rgb.size(); ++i) {
        const int bits = i % 3 == 1 && name.ends_with("565") ? 6 : 5, max = (1 << bits) - 1;
        expected.rgb[i] = static_cast<uint8_t>(std::lround(expected.rgb[i] * max / 255.0) << (8 - bits));
      }
      const auto actual = test::PictureRgb(picture->picture);
      ++compared;
      // The same file's bytes in memory give the same picture, block and all.
      const std::vector<uint8_t> bytes = test::ReadFileBytes(entry.path());
      const auto from_bytes = ReadPictureBytes(bytes, PictureKindOfFile(entry.path()));
      ASSERT_TRUE(from_bytes) << from_bytes.code();
      EXPECT_EQ(from_bytes->complete, picture->complete);
      EXPECT_TRUE(std::ranges::equal(from_bytes->picture.Bytes(), picture->picture.Bytes()));
      if (!cut) {
        EXPECT_EQ(test::CompareRgb(actual, expected), "");
        continue;
      }
      const size_t kept = size_t{3} * (folder == "gif" ? 1 : 15) * expected.width;
      ASSERT_EQ(actual.rgb.size(), expected.rgb.size());
      EXPECT_TRUE(std::equal(expected.rgb.begin(), expected.rgb.begin() + kept, actual.rgb.begin()));
      EXPECT_NE(actual.rgb, expected.rgb);
    }
  }
  EXPECT_EQ(compared, 15 + 6 + 6 + 6 + (ReadsHeif() ? 2 : 0) + (ReadsWebp() ? 3 : 0));
}

// The reader is the first letter's after the last "." of the whole path, of any case (a phone format's is
// its content's); a failed import keeps the reason and leaves the slot empty, its old picture discarded first.
TEST(ImportPicture, ChoosesTheReaderByTheFirstLetterOfTheExtension) {
  test::TempDir dir;
  fs::create_directory(dir / "my.pictures");
  using enum Status;
  const char* bmp = "bmp/pal8.bmp";
  const std::tuple<const char*, const char*, Status> cases[] = {
      {bmp, "A.BMP", kOk}, {bmp, "a.bin", kOk}, {"gif/plain.gif", "a.Gx", kOk},
      {"png/rgb8.png", "a.PNG", kOk}, {"jpeg/grey.jpg", "x.jfif", kOk}, {nullptr, "missing.bmp", kCannotOpen},
      {"gif/plain.gif", "fake.jpg", kJpegLibrary}, {bmp, "noextension", kNoPictureExtension},
      {bmp, "my.pictures/scan", kPngLibrary},  // judged by the folder's "p"
      {bmp, "picture.txt", kNoPictureExtension}, {bmp, "trailing.", kNoPictureExtension},
      {nullptr, R"(C:\my.pictures\scan)", kCannotOpen},  // the other separator: a PNG too
      // HEIC and WebP by their content, whatever the name
      {"heif/colour.heic", "IMG_0001.JPG", ReadsHeif() ? kOk : kUnsupported},
      {"webp/lossy.webp", "photo.txt", ReadsWebp() ? kOk : kUnsupported},
  };
  for (const auto& [fixture, name, status] : cases) {
    SCOPED_TRACE(name);
    if (fixture) fs::copy_file(test::DataPath(fixture), dir / name);
    EXPECT_EQ(ReadPictureFile(dir / name).status(), status);
    if (fixture) fs::remove(dir / name);  // a.b and A.BMP may be one file on some systems
  }
  // and the refusal names only the formats this build reads
  const std::string advice = RefusalTextOf(RefusalKindOf(kUnsupported)).advice;
  EXPECT_EQ(advice.find("HEIC") != std::string::npos, ReadsHeif());
  EXPECT_EQ(advice.find("WebP") != std::string::npos, ReadsWebp());
  std::ofstream(dir / "huge.png").close();
  fs::resize_file(dir / "huge.png", (uint64_t{1} << 30) + 1);  // sparse: beyond any picture's block
  EXPECT_EQ(ReadPictureFile(dir / "huge.png").status(), kTooLarge);
  const std::vector<uint8_t> bmp_bytes = test::ReadFileBytes(test::DataPath(bmp));
  EXPECT_EQ(ReadPictureBytes(bmp_bytes, PictureKind::kNone).status(), kNoPictureExtension);
  EXPECT_EQ(ReadPictureBytes(bmp_bytes, PictureKind::kJpeg).status(), kJpegLibrary);
}

// Files read by chunks: padding that carries the picture's blocks past the 256 KB chunks, puts a
// JPEG marker and its length astride the first chunk's end and a skipped segment astride the
// second's, changes no outcome (a refused coding included).
TEST(ImportPicture, PaddingPastTheFirstChunkChangesNothing) {
  using Bytes = std::vector<uint8_t>;
  const auto jpeg = [](Bytes b) {  // APP15 segments behind SOI: the fifth at 262142
    Bytes padding;
    for (const unsigned length : {65535u, 65535u, 65535u, 65527u, 65535u, 65535u, 65535u, 65535u}) {
      padding.insert(padding.end(), {0xFF, 0xEF, uint8_t(length >> 8), uint8_t(length & 0xFF)});
      padding.resize(padding.size() + length - 2);
    }
    return b.insert(b.begin() + 2, padding.begin(), padding.end()), b;
  };
  const auto png = [](Bytes b) {  // an ancillary chunk of 300000 bytes behind IHDR
    Bytes chunk{0x00, 0x04, 0x93, 0xE0, 's', 'k', 'I', 'p'};
    chunk.resize(chunk.size() + 300000);
    const uLong crc = crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4));
    chunk.insert(chunk.end(), {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)});
    return b.insert(b.begin() + 33, chunk.begin(), chunk.end()), b;
  };
  const auto gif = [](Bytes b) {  // a comment of 1200 sub-blocks behind the global table
    Bytes comment{0x21, 0xFE};
    for (int i = 0; i < 1200; ++i) comment.push_back(255), comment.resize(comment.size() + 255, 'q');
    comment.push_back(0);
    const ptrdiff_t at = 13 + ((b[10] & 0x80) ? 3 << ((b[10] & 7) + 1) : 0);
    return b.insert(b.begin() + at, comment.begin(), comment.end()), b;
  };
  const std::pair<const char*, Bytes (*)(Bytes)> cases[] = {
      {"jpeg/colour.jpg", jpeg}, {"jpeg/progressive.jpg", jpeg}, {"jpeg/arithmetic.jpg", jpeg},
      {"png/rgb8.png", png},     {"png/interlaced.png", png},    {"gif/plain.gif", gif}};
  test::TempDir dir;
  for (const auto& [name, pad] : cases) {
    SCOPED_TRACE(name);
    const fs::path padded = dir / fs::path(name).filename();
    test::WriteFileBytes(padded, pad(test::ReadFileBytes(test::DataPath(name))));
    const auto expected = ReadPictureFile(test::DataPath(name)), got = ReadPictureFile(padded);
    ASSERT_EQ(got.status(), expected.status());
    EXPECT_TRUE(!expected || (got->complete == expected->complete &&
                              std::ranges::equal(got->picture.Bytes(), expected->picture.Bytes())));
  }
}

}  // namespace
}  // namespace quorel
