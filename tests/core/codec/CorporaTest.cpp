// Quorel — SPDX-License-Identifier: MIT
// The readers over public test suites made by others (../shared/corpora):
// good files within the accepted layouts give the reference pixels, every
// other file is refused or read soundly. Each suite is skipped with a message
// when its folder is absent (a fresh clone has none).
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>

#include "ImportTestPixels.h"
#include "codec/bmp/BmpFile.h"
#include "codec/gif/GifDecoder.h"
#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"
#include "common/LittleEndian.h"
#include "image/DibLayout.h"
#include "support/GiflibDecode.h"
#include "support/TestData.h"

namespace quorel {
namespace {

namespace fs = std::filesystem;
using test::RgbPixels;

#define QUOREL_CORPUS_OR_SKIP(var, name)   \
  const auto var = test::CorpusPath(name); \
  if (!var) GTEST_SKIP() << "corpus " << (name) << " not found beside the project (../shared/corpora)"

std::vector<fs::path> FilesIn(const fs::path& folder, const std::string& extension) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == extension) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// What happened to the files of one suite, printed at the end of each test.
using Tally = std::map<std::string, int>;
void Print(const std::string& suite, const Tally& tally) {
  std::cout << "CORPUS " << suite;
  for (const auto& [what, n] : tally) std::cout << " " << what << "=" << n;
  std::cout << std::endl;
}

// A returned picture must describe only bytes inside its block.
void ExpectSound(const Result<PackedDib>& picture) { EXPECT_TRUE(!picture || CheckGeometry(*picture).ok()); }

// A PNG by libpng's simplified reader, composited over white with the PNG reader's rounding.
std::optional<RgbPixels> DecodePngOverWhite(const fs::path& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return std::nullopt;
  RgbPixels pixels{static_cast<int>(image.width), static_cast<int>(image.height), {}};
  for (size_t i = 0; i < rgba.size(); i += 4) {
    for (size_t c = 0; c < 3; ++c) {
      pixels.rgb.push_back(static_cast<uint8_t>((rgba[i + c] * rgba[i + 3] + 255 * (255 - rgba[i + 3]) + 127) / 255));
    }
  }
  return pixels;
}

// The layouts the BMP reader takes, judged from the file's own header.
bool AcceptedBmpLayout(const std::vector<uint8_t>& file, int& bits) {
  if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') return false;
  const uint32_t header = LoadLe32(file, 14), compression = LoadLe32(file, 30);
  bits = LoadLe16(file, header == 12 ? 24 : 28);
  if (header == 12) return bits == 1 || bits == 4 || bits == 8 || bits == 24;
  if (header != 40) return false;
  if (compression == 3) return bits == 16 || bits == 32;
  return compression == 0 && (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32);
}

TEST(Corpora, BmpSuite) {
  QUOREL_CORPUS_OR_SKIP(suite, "bmpsuite");
  std::ifstream in(*suite / "html" / "bmpsuite.html");
  const std::string html{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  Tally tally;
  for (const std::string folder : {"g", "q", "b", "x"}) {
    for (const auto& file : FilesIn(*suite / folder, ".bmp")) {
      SCOPED_TRACE(file.string());
      auto picture = ReadBmpFile(file);
      ExpectSound(picture);
      int bits = 0;
      if (folder != "g" || !AcceptedBmpLayout(test::ReadFileBytes(file), bits)) {
        ++tally[folder + (picture ? "_loaded" : "_refused")];
        continue;
      }
      ASSERT_TRUE(picture) << picture.code();
      // The reference the suite's page shows beside the file (pal1wb.bmp shares pal1.png).
      const auto src = html.find("src=\"", html.find("<td>g/" + file.filename().string() + "</td>"));
      const std::string png = src == std::string::npos ? "" : html.substr(src + 5, html.find('"', src + 5) - src - 5);
      const auto reference = DecodePngOverWhite(
          *suite / "html" / (png.ends_with(".png") ? fs::path(png) : file.filename().replace_extension(".png")));
      ASSERT_TRUE(reference);
      if (reference->height != picture->Height()) {  // pal8nonsquare's is resampled to its pixel aspect
        ++tally["g_reference_resampled"];
        continue;
      }
      // 5- and 6-bit components sit at the top of the byte (31 → 248); the reference stretches them.
      EXPECT_EQ(test::CompareRgb(test::PictureRgb(*picture), *reference, bits == 16 ? 7 : 0), "");
      ++tally["g_matched"];
    }
  }
  Print("bmpsuite", tally);
}

// Three GIF suites against giflib's first image (its own size and table;
// indexes beyond the table black, as ours). Two suites hold only files every
// reader must load; the third also holds damaged ones.
TEST(Corpora, GifSuites) {
  const std::tuple<const char*, const char*, bool> suites[] = {
      {"giflib-pic", "pic", true}, {"gif-test-suite-peterdn", "gifs", true}, {"pygif-test-suite", "test-suite", false}};
  for (const auto& [name, folder, all_load] : suites) {
    const auto suite = test::CorpusPath(name);
    if (!suite) {
      std::cout << "corpus " << name << " not found beside the project: skipped" << std::endl;
      continue;
    }
    Tally tally;
    for (const auto& file : FilesIn(*suite / folder, ".gif")) {
      SCOPED_TRACE(file.string());
      auto picture = ReadGifFile(file);
      ExpectSound(picture);
      const auto giflib = test::DecodeGifFileWithGiflib(file);
      ASSERT_TRUE(!all_load || (picture && giflib)) << picture.code();
      ++tally[picture ? (giflib ? "matched_giflib" : "loaded_giflib_refuses") : "refused"];
      if (!picture || !giflib || giflib->frames.empty()) continue;
      const auto& frame = giflib->frames[0];
      const auto& table = frame.local_colours.empty() ? giflib->colours : frame.local_colours;
      RgbPixels expected{frame.width, frame.height, {}};
      for (const uint8_t index : frame.indexes) {
        const auto c = index < table.size() ? table[index] : test::GifRgb{0, 0, 0};
        expected.rgb.insert(expected.rgb.end(), c.begin(), c.end());
      }
      EXPECT_EQ(test::CompareRgb(test::PictureRgb(*picture), expected), "");
    }
    Print(name, tally);
  }
}

// A binary PPM (P6) as RGB pixels.
RgbPixels ReadPpm(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, max = 0;
  in >> magic >> width >> height >> max;
  in.get();
  RgbPixels pixels{width, height, std::vector<uint8_t>(size_t{3} * width * height)};
  in.read(reinterpret_cast<char*>(pixels.rgb.data()), static_cast<std::streamsize>(pixels.rgb.size()));
  return pixels;
}

TEST(Corpora, LibjpegTurboTestImages) {
  QUOREL_CORPUS_OR_SKIP(suite, "libjpeg-turbo-testimages");
  const fs::path folder = *suite / "testimages";
  EXPECT_EQ(ReadJpegFile(folder / "testimgari.jpg").status(), Status::kJpegCoding);
  EXPECT_EQ(ReadJpegFile(folder / "monkey12.jpg").status(), Status::kJpegCoding);
  // testorig.ppm comes from an older decoder whose chroma upsampling rounds
  // differently: within 3 of ours (as of the library's own djpeg). The file
  // is larger than one piece of the reader's memory source.
  auto original = ReadJpegFile(folder / "testorig.jpg");
  ASSERT_TRUE(original) << original.code();
  EXPECT_EQ(test::CompareRgb(test::PictureRgb(*original), ReadPpm(folder / "testorig.ppm"), 3), "");
  Tally tally;
  for (const auto& file : FilesIn(folder, ".jpg")) ExpectSound(ReadJpegFile(file)), ++tally["jpg"];
  for (const auto& file : FilesIn(folder, ".bmp")) ExpectSound(ReadBmpFile(file)), ++tally["bmp"];
  for (const auto& file : FilesIn(folder, ".png")) ExpectSound(ReadPngFile(file)), ++tally["png"];
  Print("libjpeg-turbo-testimages", tally);
}

// The suite's JSON dump (RGBA, 8 or 16 bits) reduced and composited over white as the PNG reader does.
std::optional<RgbPixels> PngSuiteExpected(const fs::path& json, int width, int height, bool sixteen) {
  std::ifstream in(json);
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::replace_if(text.begin(), text.end(), [](unsigned char c) { return !std::isdigit(c); }, ' ');
  std::istringstream numbers(text);
  const std::vector<unsigned> values{std::istream_iterator<unsigned>(numbers), std::istream_iterator<unsigned>()};
  if (values.size() != size_t{4} * width * height) return std::nullopt;
  RgbPixels out{width, height, {}};
  for (size_t i = 0; i < values.size(); i += 4) {
    unsigned v[4];
    for (size_t c = 0; c < 4; ++c) v[c] = sixteen ? (values[i + c] * 255 + 32767) / 65535 : values[i + c];
    for (size_t c = 0; c < 3; ++c) out.rgb.push_back(static_cast<uint8_t>((v[c] * v[3] + 255 * (255 - v[3]) + 127) / 255));
  }
  return out;
}

TEST(Corpora, PngSuite) {
  QUOREL_CORPUS_OR_SKIP(suite, "pngsuite");
  Tally tally;
  for (const auto& file : FilesIn(*suite / "png", ".png")) {
    SCOPED_TRACE(file.string());
    auto picture = ReadPngFile(file);
    ExpectSound(picture);
    if (file.stem().string()[0] == 'x') {  // broken on purpose
      EXPECT_FALSE(picture);
      continue;
    }
    ASSERT_TRUE(picture) << picture.code();
    const auto bytes = test::ReadFileBytes(file);
    const auto expected = PngSuiteExpected(*suite / "json" / (file.stem().string() + ".json"), picture->Width(),
                                           picture->Height(), bytes.size() > 24 && bytes[24] == 16);  // IHDR depth
    ASSERT_TRUE(expected) << "no dump of this size";
    EXPECT_EQ(test::CompareRgb(test::PictureRgb(*picture), *expected), "");
    ++tally["matched"];
  }
  Print("pngsuite", tally);
}

}  // namespace
}  // namespace quorel
