// Quorel — SPDX-License-Identifier: MIT
// Rows decoded straight into the scaler give the bytes of scaling the whole
// picture, in every scale mode and both branches of the scaler (averaging
// beyond a horizontal ratio of 2, interpolation up to it), on odd sizes.
#include <gtest/gtest.h>

#include <vector>

#include "codec/ImportPicture.h"
#include "codec/PictureRows.h"
#include "image/ConvertTo24.h"
#include "image/Resample.h"
#include "image/RowScaler.h"
#include "panel/ScaleSettings.h"
#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel {
namespace {

std::vector<uint8_t> Bytes(const PackedDib& picture) { return {picture.Bytes().begin(), picture.Bytes().end()}; }

struct Case {
  std::filesystem::path file;
  int32_t mode, value;  // value: the target side, or the ratio in percent
  bool streams;
};

void ExpectTheWholePicturesScaledBytes(const Case& c) {
  SCOPED_TRACE(c.file.filename().string() + " mode " + std::to_string(c.mode) + " " + std::to_string(c.value));
  const ScaleSettings scale{c.mode, c.value, c.value, c.value};
  const auto choose = [&](PictureSize source) -> std::optional<PictureSize> {
    if (source.width < 16 || source.height < 16) return std::nullopt;
    const OutputSizeResult size = ComputeOutputSize(scale, source.width, source.height);
    return PictureSize{size.width, size.height};
  };
  RowScaler scaler(choose);
  const auto read = ReadPictureFileRows(c.file, scaler);
  ASSERT_EQ(!scaler.Declined(), c.streams);
  if (!c.streams) return;
  ASSERT_TRUE(read) << read.code();
  const auto streamed = scaler.Finish();
  ASSERT_TRUE(streamed) << streamed.code();
  const PackedDib whole = ConvertTo24(ReadPictureFile(c.file).value().picture).value();
  const OutputSizeResult size = ComputeOutputSize(scale, whole.Width(), whole.Height());
  EXPECT_EQ(Bytes(*streamed), Bytes(Resample(whole, size.width, size.height).value()));
}

TEST(StreamedScale, GivesTheWholePicturesScaledBytes) {
  const Case cases[] = {
      {test::DataPath("jpeg/progressive.jpg"), kScaleFitHeight, 48, false},  // 9 high: kept as it is
      {test::DataPath("photo/orient-1.jpg"), kScaleFitHeight, 48, true},
      {test::DataPath("photo/orient-6.jpg"), kScaleRatio, 40, true},         // turned once decoded, averaged
      {test::DataPath("photo/orient-6.jpg"), kScaleFitHeight, 48, false},    // turned and enlarged
      {test::DataPath("photo/signature.jpg"), kScaleFitHeight, 48, true},   // 240×180 → 64×48, averaged
      {test::DataPath("photo/signature.jpg"), kScaleFitWidth, 130, true},   // ratio 1.85: interpolated
      {test::DataPath("photo/seal.jpg"), kScaleRatio, 300, true},           // enlarged
      {test::DataPath("photo/seal-mask.png"), kScaleRatio, 33, true},       // 8-bit grey
      {test::DataPath("photo/upright.png"), kScaleFitHeight, 17, true},     // 32×24 RGB
      {test::DataPath("gif/interlaced.gif"), kScaleRatio, 40, false},
  };
  for (const Case& c : cases) ExpectTheWholePicturesScaledBytes(c);
}

// A JPEG whose Exif block turns it by `value`: a minimal big-endian block
// with the one tag, behind the start-of-image marker.
std::vector<uint8_t> TurnedBy(std::vector<uint8_t> jpeg, uint8_t value) {
  const std::vector<uint8_t> app1 = {
      0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0,  // APP1, its length, the Exif name
      'M', 'M', 0, 42, 0, 0, 0, 8,                   // TIFF header, the IFD at 8
      0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, value, 0, 0,  // one entry: orientation, SHORT
      0, 0, 0, 0};                                   // no next IFD
  jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
  return jpeg;
}

// Every orientation of a 240×180 photo: averaged boxes that do not divide
// the sides evenly land as in the upright picture; interpolation (ratio up
// to 2) reads the whole picture once it is turned.
TEST(StreamedScale, TurnedPicturesGiveTheUprightPicturesScaledBytes) {
  const test::TempDir dir;
  const auto photo = test::ReadFileBytes(test::DataPath("photo/signature.jpg"));
  for (uint8_t value = 1; value <= 8; ++value) {
    const auto file = dir / ("turned-" + std::to_string(value) + ".jpg");
    test::WriteFileBytes(file, TurnedBy(photo, value));
    const Case cases[] = {
        {file, kScaleFitHeight, 48, true},
        {file, kScaleRatio, 45, true},
        {file, kScaleRatio, 13, true},
        {file, kScaleRatio, 60, value == 1},
    };
    for (const Case& c : cases) ExpectTheWholePicturesScaledBytes(c);
  }
}

TEST(StreamedScale, GivesTheWholePicturesScaledBytesOnTheCorpora) {
  const auto corpus = test::CorpusPath("libjpeg-turbo-testimages/testimages");
  const auto suite = test::CorpusPath("pngsuite/png");
  const auto bmp = test::CorpusPath("bmpsuite");
  const auto gif = test::CorpusPath("giflib-pic/pic");
  if (!corpus || !suite || !bmp || !gif) GTEST_SKIP() << "no corpora beside the project (../shared/corpora)";
  const Case cases[] = {
      {*corpus / "testorig.jpg", kScaleFitHeight, 48, true},    // 227×149 → 73×48, averaged
      {*corpus / "testorig.jpg", kScaleFitHeight, 101, true},   // interpolated
      {*corpus / "testorig.jpg", kScaleFitWidth, 113, true},    // ratio 2.009: averaged
      {*corpus / "testorig.jpg", kScaleFitWidth, 114, true},    // ratio 1.991: interpolated
      {*corpus / "testorig.jpg", kScaleRatio, 300, true},       // enlarged
      {*corpus / "testorig.jpg", kScaleRatio, 10, true},
      {*corpus / "testorig.png", kScaleFitHeight, 17, true},
      {*corpus / "testorig.png", kScaleRatio, 55, true},
      {*corpus / "monkey16.png", kScaleFitWidth, 31, true},     // 149×227, 16-bit grey
      {*corpus / "monkey16.png", kScaleRatio, 123, true},
      {*corpus / "vgl_5674_0098.png", kScaleFitHeight, 47, true},
      {*suite / "basn6a08.png", kScaleRatio, 33, true},         // alpha over white
      {*suite / "basi6a08.png", kScaleRatio, 33, false},        // interlaced: whole picture
      {*bmp / "g/pal1.bmp", kScaleFitHeight, 29, true},          // 127×64, bottom-up, by chunks
      {*bmp / "g/pal4.bmp", kScaleRatio, 170, true},
      {*bmp / "g/pal8topdown.bmp", kScaleFitHeight, 29, true},
      {*bmp / "g/pal8os2.bmp", kScaleFitWidth, 50, true},        // 3-byte colour table
      {*bmp / "g/pal8w125.bmp", kScaleFitWidth, 50, true},       // padded rows
      {*bmp / "g/rgb16-565.bmp", kScaleFitHeight, 29, true},
      {*bmp / "g/rgb24pal.bmp", kScaleRatio, 33, true},
      {*bmp / "g/rgb32bf.bmp", kScaleFitHeight, 29, true},
      {*bmp / "q/rgba32-1.bmp", kScaleFitHeight, 29, false},     // alpha: whole picture
      {*gif / "porsche.gif", kScaleFitHeight, 47, true},         // 320×200, 256 colours
      {*gif / "welcome2.gif", kScaleRatio, 130, true},
      {*gif / "treescap-interlaced.gif", kScaleRatio, 20, false},  // interlaced: whole picture
  };
  for (const Case& c : cases) ExpectTheWholePicturesScaledBytes(c);
  // Cut in a row: the rest of it and the rows below are colour-table entry 0.
  const test::TempDir dir;
  auto cut = test::ReadFileBytes(*gif / "porsche.gif");
  cut.resize(cut.size() / 2);
  test::WriteFileBytes(dir / "cut.gif", cut);
  ExpectTheWholePicturesScaledBytes({dir / "cut.gif", kScaleFitHeight, 47, true});
}

}  // namespace
}  // namespace quorel
