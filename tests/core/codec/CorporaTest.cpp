// Quorel — SPDX-License-Identifier: MIT
// The readers over public test suites (../shared/corpora, skipped when absent): good files within the
// accepted layouts give the reference pixels, every other file is refused or read soundly.
#include <gtest/gtest.h>
#include <png.h>
#include <bit>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include "ImportTestPixels.h"
#include "codec/bmp/BmpFile.h"
#include "codec/gif/GifDecoder.h"
#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"
#include "support/GiflibDecode.h"

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

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A picture read has rows within its block.
void ExpectSound(const Result<PackedDib>& picture) { EXPECT_TRUE(!picture || CheckGeometry(*picture).ok()); }

// Samples in RGBA order (8 bits, or 16 reduced as the PNG reader does) composited over white like it.
RgbPixels OverWhite(int width, int height, const std::vector<unsigned>& rgba, bool sixteen = false) {
  RgbPixels out{width, height, {}};
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
    unsigned v[4];
    for (size_t c = 0; c < 4; ++c) v[c] = sixteen ? (rgba[i + c] * 255 + 32767) / 65535 : rgba[i + c];
    for (size_t c = 0; c < 3; ++c) out.rgb.push_back(uint8_t((v[c] * v[3] + 255 * (255 - v[3]) + 127) / 255));
  }
  return out;
}

TEST(Corpora, BmpSuite) {
  QUOREL_CORPUS_OR_SKIP(suite, "bmpsuite");
  const std::string html = ReadText(*suite / "html" / "bmpsuite.html");
  for (const std::string folder : {"g", "q", "b", "x"}) {
    for (const auto& file : FilesIn(*suite / folder, ".bmp")) {
      SCOPED_TRACE(file.string());
      auto picture = test::PictureOf(ReadBmpFile(file));
      ExpectSound(picture);
      // The layouts the reader takes, judged from the file's own header (12, 40, 108 or 124 bytes).
      const auto bytes = test::ReadFileBytes(file);
      const uint32_t header = LoadLe32(bytes, 14), compression = header > 12 ? LoadLe32(bytes, 30) : 0;
      const int bits = LoadLe16(bytes, header == 12 ? 24 : 28);
      const bool wide = bits == 16 || bits == 32, narrow = bits == 1 || bits == 4 || bits == 8 || bits == 24;
      const bool versioned = header == 108 || header == 124;
      const bool accepted = (header == 12 || header == 40 || versioned) &&
                            (compression == 0 || compression == 3) &&
                            (compression == 3 ? wide : narrow || (header != 12 && wide));
      ASSERT_TRUE(picture || !accepted || (folder != "g" && !versioned)) << picture.code();
      // Compared: the good files and the questionable v4/v5 ones with 8-bit colours (alpha over white);
      // not rgb24prof2, whose colour profile swaps red and green back (profiles are not applied).
      const auto eight_bit = [&](size_t at) { return std::popcount(LoadLe32(bytes, at)) == 8; };
      const bool usual = bits == 24 || compression == 0 || (eight_bit(54) && eight_bit(58) && eight_bit(62));
      if (!accepted || file.stem() == "rgb24prof2" || (folder != "g" && !(versioned && usual))) continue;
      // The reference the suite's page shows beside the file (pal1wb.bmp shares pal1.png).
      const auto at = html.find("src=\"", html.find(folder + "/" + file.filename().string() + "</td>"));
      const std::string png = at == html.npos ? "" : html.substr(at + 5, html.find('"', at + 5) - at - 5);
      png_image image{};
      image.version = PNG_IMAGE_VERSION;
      const fs::path own = file.filename().replace_extension(".png");
      const fs::path reference = *suite / "html" / (png.ends_with(".png") ? fs::path(png) : own);
      ASSERT_TRUE(png_image_begin_read_from_file(&image, reference.c_str()));
      image.format = PNG_FORMAT_RGBA;
      std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
      ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr));
      if (int(image.height) != picture->Height()) continue;  // pal8nonsquare's, resampled to its aspect
      // 5- and 6-bit components sit at the top of the byte (31 → 248); the reference stretches them.
      const auto expected = OverWhite(int(image.width), int(image.height), {rgba.begin(), rgba.end()});
      EXPECT_EQ(test::CompareRgb(test::PictureRgb(*picture), expected, bits == 16 ? 7 : 0), "");
    }
  }
}

// Three GIF suites against giflib's first image (its own size and table, indexes beyond it black as ours);
// the third suite also holds damaged files.
TEST(Corpora, GifSuites) {
  const std::tuple<const char*, const char*, bool> suites[] = {
      {"giflib-pic", "pic", true},
      {"gif-test-suite-peterdn", "gifs", true},
      {"pygif-test-suite", "test-suite", false}};
  for (const auto& [name, folder, all_load] : suites) {
    const auto suite = test::CorpusPath(name);
    for (const auto& file : suite ? FilesIn(*suite / folder, ".gif") : std::vector<fs::path>{}) {
      SCOPED_TRACE(file.string());
      auto picture = test::PictureOf(ReadGifFile(file));
      ExpectSound(picture);
      const auto giflib = test::DecodeWithGiflib(test::ReadFileBytes(file));
      ASSERT_TRUE(!all_load || (picture && giflib)) << picture.code();
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
  }
}

TEST(Corpora, LibjpegTurboTestImages) {
  QUOREL_CORPUS_OR_SKIP(suite, "libjpeg-turbo-testimages");
  const fs::path folder = *suite / "testimages";
  EXPECT_EQ(ReadJpegFile(folder / "monkey12.jpg").status(), Status::kJpegCoding);  // 12-bit samples
  // testorig.ppm (binary P6) is an older decoder's, whose chroma upsampling rounds differently: within 3 of
  // ours. The file is larger than one piece of the reader's memory source.
  auto original = test::PictureOf(ReadJpegFile(folder / "testorig.jpg"));
  ASSERT_TRUE(original) << original.code();
  std::ifstream ppm(folder / "testorig.ppm", std::ios::binary);
  std::string magic;  // P6, then width, height and the maximum sample
  int width = 0, height = 0, max = 0;
  ppm >> magic >> width >> height >> max;
  ppm.get();
  RgbPixels expected{width, height, std::vector<uint8_t>(size_t{3} * width * height)};
  ppm.read(reinterpret_cast<char*>(expected.rgb.data()), std::streamsize(expected.rgb.size()));
  EXPECT_EQ(test::CompareRgb(test::PictureRgb(*original), expected, 3), "");
}

// Every file but the broken ones ("x…") gives the suite's JSON dump of its samples.
TEST(Corpora, PngSuite) {
  QUOREL_CORPUS_OR_SKIP(suite, "pngsuite");
  for (const auto& file : FilesIn(*suite / "png", ".png")) {
    SCOPED_TRACE(file.string());
    auto picture = test::PictureOf(ReadPngFile(file));
    ExpectSound(picture);
    ASSERT_EQ(picture.ok(), file.stem().string()[0] != 'x') << picture.code();
    if (!picture) continue;
    std::string json = ReadText(*suite / "json" / (file.stem().string() + ".json"));
    std::replace_if(json.begin(), json.end(), [](unsigned char c) { return !std::isdigit(c); }, ' ');
    std::istringstream numbers(json);
    const std::vector<unsigned> samples(std::istream_iterator<unsigned>(numbers), {});
    ASSERT_EQ(samples.size(), size_t{4} * picture->Width() * picture->Height());
    const bool sixteen = test::ReadFileBytes(file).at(24) == 16;  // IHDR bit depth
    const auto expected = OverWhite(picture->Width(), picture->Height(), samples, sixteen);
    EXPECT_EQ(test::CompareRgb(test::PictureRgb(*picture), expected), "");
  }
}

}  // namespace
}  // namespace quorel
