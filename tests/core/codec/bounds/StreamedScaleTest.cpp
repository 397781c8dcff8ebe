// Quorel — SPDX-License-Identifier: MIT
// Rows decoded straight into the scaler give the bytes of scaling the whole
// picture, in every scale mode and both branches of the scaler (averaging
// beyond a horizontal ratio of 2, interpolation up to it), on odd sizes.
#include <gtest/gtest.h>

#include <vector>

#include "codec/ImportPicture.h"
#include "codec/ScaledImport.h"
#include "image/Resample.h"
#include "panel/ScaleSettings.h"
#include "support/TestData.h"

namespace quorel {
namespace {

std::vector<uint8_t> Bytes(const PackedDib& picture) { return {picture.Bytes().begin(), picture.Bytes().end()}; }

TEST(StreamedScale, GivesTheWholePicturesScaledBytes) {
  const auto corpus = test::CorpusPath("libjpeg-turbo-testimages/testimages");
  const auto suite = test::CorpusPath("pngsuite/png");
  if (!corpus || !suite) GTEST_SKIP() << "no corpora beside the project";
  struct Case {
    std::filesystem::path file;
    int32_t mode, value;  // value: the target side, or the ratio in percent
    bool streams;
  };
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
      {test::DataPath("jpeg/progressive.jpg"), kScaleFitHeight, 48, false},  // 9 high: kept as it is
      {test::DataPath("photo/orient-1.jpg"), kScaleFitHeight, 48, true},
      {test::DataPath("photo/orient-6.jpg"), kScaleFitHeight, 48, false},    // turned once decoded
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.filename().string() + " mode " + std::to_string(c.mode) + " " + std::to_string(c.value));
    ScaleSettings scale;
    scale.mode = c.mode;
    scale.target_height = scale.target_width = scale.ratio = c.value;
    const auto choose = [&](PictureSize source) -> std::optional<PictureSize> {
      if (source.width < 16 || source.height < 16) return std::nullopt;
      const OutputSizeResult size = ComputeOutputSize(scale, source.width, source.height);
      return PictureSize{size.width, size.height};
    };
    const auto streamed = ReadPictureFileScaled(c.file, choose);
    ASSERT_EQ(streamed.has_value(), c.streams);
    if (!c.streams) continue;
    ASSERT_TRUE(*streamed) << streamed->code();
    const Result<PackedDib> whole = ReadPictureFile(c.file).value().picture;
    const OutputSizeResult size = ComputeOutputSize(scale, whole->Width(), whole->Height());
    const auto expected = Resample(*whole, size.width, size.height);
    ASSERT_TRUE(expected);
    EXPECT_EQ(Bytes(**streamed), Bytes(*expected));
  }
}

}  // namespace
}  // namespace quorel
