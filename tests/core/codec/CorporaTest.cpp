// Quorel — SPDX-License-Identifier: MIT
// The readers over public test suites made by others (../shared/corpora):
// good files within the accepted layouts give the suite's reference pixels,
// every other file is refused or read soundly. Each suite is skipped with a
// message when the folder is absent (a fresh clone has none).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include "ImportTestPixels.h"
#include "codec/bmp/BmpFile.h"
#include "codec/gif/GifDecoder.h"
#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"
#include "common/LittleEndian.h"
#include "image/DibLayout.h"
#include "support/TestData.h"

namespace quorel {
namespace {

namespace fs = std::filesystem;

#define QUOREL_CORPUS_OR_SKIP(var, name)                                              \
  const auto var = test::CorpusPath(name);                                            \
  if (!var) GTEST_SKIP() << "corpus " << (name) << " not found beside the project " \
                            "(../shared/corpora); nothing to compare"

std::vector<fs::path> FilesIn(const fs::path& folder, const std::string& extension) {
  std::vector<fs::path> files;
  if (!fs::is_directory(folder)) return files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().extension() == extension) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// What happened to the files of one suite, printed at the end of each test.
struct Tally {
  std::map<std::string, int> counts;
  void Add(const std::string& what) { ++counts[what]; }
  void Print(const std::string& suite) const {
    std::cout << "CORPUS " << suite;
    for (const auto& [what, n] : counts) std::cout << " " << what << "=" << n;
    std::cout << std::endl;
  }
};

// A returned picture must describe only bytes inside its block.
void ExpectSound(const Result<PackedDib>& picture, const fs::path& file) {
  if (!picture) {
    EXPECT_LT(picture.code(), 0) << file;
    return;
  }
  EXPECT_TRUE(CheckGeometry(*picture, RowStart::kAfterPalette)) << file;
}

// Compares where the reference is opaque (alpha 255); transparent reference
// pixels show the table colour in our pictures.
std::string CompareOpaque(const test::RgbPixels& actual, const std::vector<uint8_t>& rgba, int width,
                          int height) {
  if (actual.width != width || actual.height != height) return "size differs";
  test::RgbPixels expected{width, height, {}};
  test::RgbPixels masked = actual;
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    const bool opaque = rgba[4 * i + 3] == 255;
    for (int c = 0; c < 3; ++c) {
      expected.rgb.push_back(opaque ? rgba[4 * i + c] : 0);
      if (!opaque) masked.rgb[3 * i + c] = 0;
    }
  }
  return test::CompareRgb(masked, expected);
}

// The layouts the BMP reader takes, judged from the file's own header.
bool AcceptedBmpLayout(const std::vector<uint8_t>& file, int& bits) {
  if (file.size() < 14 + 16 || file[0] != 'B' || file[1] != 'M') return false;
  const uint32_t header = LoadLe32(file, 14);
  if (header == 12) {
    bits = LoadLe16(file, 24);
    return bits == 1 || bits == 4 || bits == 8 || bits == 24;
  }
  if (header != 40 || file.size() < 54) return false;
  bits = LoadLe16(file, 28);
  const uint32_t compression = LoadLe32(file, 30);
  if (compression == 0) return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  return compression == 3 && (bits == 16 || bits == 32);
}

// The reference PNG bmpsuite.html shows beside a file (pal1wb.bmp shares pal1.png).
fs::path BmpSuiteReference(const fs::path& suite, const std::string& name) {
  std::ifstream in(suite / "html" / "bmpsuite.html");
  const std::string html{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const auto src = html.find("src=\"", html.find("<td>g/" + name + "</td>"));
  const std::string png = src == std::string::npos ? "" : html.substr(src + 5, html.find('"', src + 5) - src - 5);
  return suite / "html" / (png.ends_with(".png") ? fs::path(png) : fs::path(name).replace_extension(".png"));
}

TEST(Corpora, BmpSuite) {
  QUOREL_CORPUS_OR_SKIP(suite, "bmpsuite");
  Tally tally;
  for (const char* folder : {"g", "q", "b", "x"}) {
    for (const auto& file : FilesIn(*suite / folder, ".bmp")) {
      SCOPED_TRACE(file.string());
      auto picture = ReadBmpFile(file);
      ExpectSound(picture, file);
      int bits = 0;
      const bool accepted = AcceptedBmpLayout(test::ReadFileBytes(file), bits);
      const std::string group = folder;
      if (group == "g" && accepted) {
        ASSERT_TRUE(picture) << picture.code();
        auto reference = test::DecodePngReference(BmpSuiteReference(*suite, file.filename().string()));
        ASSERT_TRUE(reference);
        if (reference->height != picture->Height()) {
          // pal8nonsquare's reference is resampled to its pixel aspect: not comparable.
          tally.Add("g_loaded_reference_resampled");
          continue;
        }
        // 5- and 6-bit components are shifted to the top of the byte (31 → 248),
        // where the reference stretches them to 255.
        EXPECT_EQ(test::CompareRgb(test::PictureRgb(*picture), *reference, bits == 16 ? 7 : 0), "");
        tally.Add("g_matched");
      } else {
        tally.Add(group + (picture ? "_loaded" : "_refused"));
        if (group != "g" && picture) std::cout << "  loaded " << group << "/" << file.filename().string() << "\n";
      }
    }
  }
  tally.Print("bmpsuite");
}

TEST(Corpora, GiflibPictures) {
  QUOREL_CORPUS_OR_SKIP(suite, "giflib-pic");
  Tally tally;
  for (const auto& file : FilesIn(*suite / "pic", ".gif")) {
    SCOPED_TRACE(file.string());
    auto picture = ReadGifFile(file);
    ASSERT_TRUE(picture) << picture.code();
    ExpectSound(picture, file);
    const auto actual = test::PictureRgb(*picture);
    int images = 0;
    auto giflib = test::DecodeGifFirstImage(file, &images);
    ASSERT_TRUE(giflib);
    EXPECT_EQ(test::CompareRgb(actual, *giflib), "");
    // The dumps show the screen after every image: comparable for single images.
    const auto dump = *suite / "tests" / file.filename().replace_extension(".rgb");
    if (images == 1 && fs::exists(dump) && fs::file_size(dump) == actual.rgb.size()) {
      const test::RgbPixels expected{actual.width, actual.height, test::ReadFileBytes(dump)};
      EXPECT_EQ(test::CompareRgb(actual, expected), "");
      tally.Add("matched_dump_and_giflib");
    } else {
      tally.Add("matched_giflib");
    }
  }
  tally.Print("giflib-pic");
}

// The suite's .conf files: "[section]" and "key = value" lines, as "section.key".
std::map<std::string, std::string> ReadConf(const fs::path& path) {
  auto trim = [](std::string s) {
    s.erase(0, s.find_first_not_of(" \t"));
    return s.erase(s.find_last_not_of(" \t\r") + 1);
  };
  std::map<std::string, std::string> values;
  std::ifstream in(path);
  std::string line, section;
  while (std::getline(in, line)) {
    const auto eq = line.find('=');
    if (line.starts_with('[')) section = line.substr(1, line.find(']') - 1);
    else if (!line.starts_with('#') && eq != std::string::npos)
      values[section + "." + trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
  }
  return values;
}

TEST(Corpora, PygifTestSuite) {
  QUOREL_CORPUS_OR_SKIP(suite, "pygif-test-suite");
  Tally tally;
  const fs::path folder = *suite / "test-suite";
  for (const auto& conf_path : FilesIn(folder, ".conf")) {
    SCOPED_TRACE(conf_path.string());
    auto conf = ReadConf(conf_path);
    const fs::path gif = folder / conf["config.input"];
    auto picture = ReadGifFile(gif);
    ExpectSound(picture, gif);
    const std::string frames = conf["config.frames"];
    const std::string first = frames.substr(0, frames.find(','));
    const int width = std::atoi(conf["config.width"].c_str());
    const int height = std::atoi(conf["config.height"].c_str());
    std::vector<uint8_t> rgba;
    if (!first.empty() && !conf[first + ".pixels"].empty()) {
      rgba = test::ReadFileBytes(folder / conf[first + ".pixels"]);
    } else if (!first.empty() && !conf[first + ".image"].empty()) {
      if (auto decoded = test::DecodePngRgba(folder / conf[first + ".image"])) rgba = decoded->rgba;
    }
    if (!picture) {
      tally.Add(first.empty() ? "refused_no_frames_expected" : "refused_with_frames_expected");
      if (!first.empty()) std::cout << "  refused " << gif.filename() << " code " << picture.code() << "\n";
      continue;
    }
    const auto actual = test::PictureRgb(*picture);
    if (rgba.size() == static_cast<size_t>(width) * height * 4 && actual.width == width &&
        actual.height == height) {
      const std::string diff = CompareOpaque(actual, rgba, width, height);
      if (diff.empty()) {
        tally.Add("matched");
        continue;
      }
      // The expected frame is composed of several images or disposals; the
      // first image alone must still be what giflib decodes.
      auto giflib = test::DecodeGifFirstImage(gif);
      ASSERT_TRUE(giflib) << diff;
      EXPECT_EQ(test::CompareRgb(actual, *giflib), "") << diff;
      tally.Add("frame_differs_first_image_matches_giflib");
    } else if (auto giflib = test::DecodeGifFirstImage(gif)) {
      EXPECT_EQ(test::CompareRgb(actual, *giflib), "");
      tally.Add("other_size_matches_giflib");
    } else {
      tally.Add("loaded_giflib_refuses");
    }
  }
  tally.Print("pygif-test-suite");
}

TEST(Corpora, PeterdnGifSuite) {
  QUOREL_CORPUS_OR_SKIP(suite, "gif-test-suite-peterdn");
  Tally tally;
  for (const auto& file : FilesIn(*suite / "gifs", ".gif")) {
    SCOPED_TRACE(file.string());
    auto picture = ReadGifFile(file);
    ASSERT_TRUE(picture) << picture.code();
    ExpectSound(picture, file);
    auto frame = *suite / "gifs" / "frames" / (file.stem().string() + "-0.png");
    if (!fs::exists(frame)) frame = *suite / "gifs" / "frames" / (file.stem().string() + ".png");
    const auto png = test::DecodePngRgba(frame);
    ASSERT_TRUE(png) << frame;
    const auto actual = test::PictureRgb(*picture);
    if (actual.width == png->width && actual.height == png->height) {
      EXPECT_EQ(CompareOpaque(actual, png->rgba, png->width, png->height), "");
      tally.Add("matched");
    } else {
      tally.Add("loaded_other_size");
    }
  }
  tally.Print("gif-test-suite-peterdn");
}

// A binary PPM (P6) as RGB pixels.
test::RgbPixels ReadPpm(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, max = 0;
  in >> magic >> width >> height >> max;
  in.get();
  test::RgbPixels pixels{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
  in.read(reinterpret_cast<char*>(pixels.rgb.data()), static_cast<std::streamsize>(pixels.rgb.size()));
  return pixels;
}

TEST(Corpora, LibjpegTurboTestImages) {
  QUOREL_CORPUS_OR_SKIP(suite, "libjpeg-turbo-testimages");
  const fs::path folder = *suite / "testimages";
  Tally tally;
  EXPECT_EQ(ReadJpegFile(folder / "testimgari.jpg").status(), Status::kJpegCoding);
  EXPECT_EQ(ReadJpegFile(folder / "monkey12.jpg").status(), Status::kJpegCoding);
  // testorig.ppm comes from an older decoder whose chroma upsampling rounds
  // differently: within 3 of ours (as of the library's own djpeg).
  auto original = ReadJpegFile(folder / "testorig.jpg");
  ASSERT_TRUE(original) << original.code();
  EXPECT_EQ(test::CompareRgb(test::PictureRgb(*original), ReadPpm(folder / "testorig.ppm"), 3), "");
  for (const auto& entry : fs::directory_iterator(folder)) {
    const auto& file = entry.path();
    const std::string ext = file.extension().string();
    Result<PackedDib> picture = Status::kUnsupported;
    if (ext == ".jpg") picture = ReadJpegFile(file);
    else if (ext == ".bmp") picture = ReadBmpFile(file);
    else if (ext == ".png") picture = ReadPngFile(file);
    else continue;
    SCOPED_TRACE(file.string());
    ExpectSound(picture, file);
    tally.Add(ext.substr(1) + (picture ? "_loaded" : "_refused"));
  }
  tally.Print("libjpeg-turbo-testimages");
}

// The dump's samples (RGBA, 8 or 16 bits) reduced and composited as the PNG
// reader does.
std::optional<test::RgbPixels> PngSuiteExpected(const fs::path& json, int width, int height, bool sixteen) {
  std::ifstream in(json);
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::replace_if(text.begin(), text.end(), [](unsigned char c) { return !std::isdigit(c); }, ' ');
  std::istringstream numbers(text);
  const std::vector<unsigned> values{std::istream_iterator<unsigned>(numbers), std::istream_iterator<unsigned>()};
  if (values.size() != static_cast<size_t>(width) * height * 4) return std::nullopt;
  test::RgbPixels out{width, height, {}};
  for (size_t i = 0; i < values.size(); i += 4) {
    unsigned v[4];
    for (int c = 0; c < 4; ++c) v[c] = sixteen ? (values[i + c] * 255 + 32767) / 65535 : values[i + c];
    for (int c = 0; c < 3; ++c) out.rgb.push_back(static_cast<uint8_t>((v[c] * v[3] + 255 * (255 - v[3]) + 127) / 255));
  }
  return out;
}

TEST(Corpora, PngSuite) {
  QUOREL_CORPUS_OR_SKIP(suite, "pngsuite");
  Tally tally;
  for (const auto& file : FilesIn(*suite / "png", ".png")) {
    SCOPED_TRACE(file.string());
    auto picture = ReadPngFile(file);
    ExpectSound(picture, file);
    const std::string name = file.stem().string();
    if (name[0] == 'x') {
      EXPECT_FALSE(picture) << "a broken file loaded";
      tally.Add(picture ? "x_loaded" : "x_refused");
      continue;
    }
    ASSERT_TRUE(picture) << picture.code();
    const auto bytes = test::ReadFileBytes(file);
    const bool sixteen = bytes.size() > 24 && bytes[24] == 16;  // IHDR bit depth
    const auto json = *suite / "json" / (name + ".json");
    if (!fs::exists(json)) {
      tally.Add("loaded_without_dump");
      continue;
    }
    auto expected = PngSuiteExpected(json, picture->Width(), picture->Height(), sixteen);
    if (!expected) {
      tally.Add("dump_of_other_size");
      std::cout << "  dump of other size " << name << "\n";
      continue;
    }
    const std::string diff = test::CompareRgb(test::PictureRgb(*picture), *expected);
    if (diff.empty()) {
      tally.Add("matched");
    } else {
      tally.Add("differs");
      std::cout << "  differs " << name << ": " << diff << "\n";
    }
  }
  tally.Print("pngsuite");
}

}  // namespace
}  // namespace quorel
