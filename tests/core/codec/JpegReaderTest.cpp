// Quorel — SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "ImportTestPixels.h"
#include "codec/jpeg/JpegMemorySource.h"
#include "codec/jpeg/JpegReader.h"
#include "image/DibLayout.h"
#include "support/TestData.h"

namespace quorel {
namespace {

using test::DataPath;

struct JpegLayout {
  int width = 2;
  int height = 2;
  int components = 1;
  int density_unit = 0;
  int x_density = 1;
  int y_density = 1;
};

// A JPEG made in memory by libjpeg's compressor (the test's independent
// encoder); without samples, a stream of tables only (jpeg_write_tables).
std::vector<uint8_t> CompressJpeg(const JpegLayout& layout, const std::vector<uint8_t>& samples) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long out_size = 0;
  jpeg_mem_dest(&cinfo, &out, &out_size);
  cinfo.image_width = static_cast<JDIMENSION>(layout.width);
  cinfo.image_height = static_cast<JDIMENSION>(layout.height);
  cinfo.input_components = layout.components;
  cinfo.in_color_space = layout.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  cinfo.density_unit = static_cast<UINT8>(layout.density_unit);
  cinfo.X_density = static_cast<UINT16>(layout.x_density);
  cinfo.Y_density = static_cast<UINT16>(layout.y_density);
  if (samples.empty()) {
    jpeg_write_tables(&cinfo);
  } else {
    jpeg_start_compress(&cinfo, TRUE);
    const size_t row_bytes = static_cast<size_t>(layout.width * layout.components);
    while (cinfo.next_scanline < cinfo.image_height) {
      JSAMPROW row = const_cast<JSAMPLE*>(samples.data()) + cinfo.next_scanline * row_bytes;
      jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
  }
  std::vector<uint8_t> bytes(out, out + out_size);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return bytes;
}

TEST(JpegReader, FixturesGiveTheIndependentDecodersPixels) {
  for (const char* name : {"grey", "colour", "progressive", "restart", "rgb"}) {
    SCOPED_TRACE(name);
    auto picture = ReadJpegFile(DataPath(std::string("jpeg/") + name + ".jpg"));
    ASSERT_TRUE(picture) << picture.code();
    EXPECT_EQ(picture->BitCount(), 24);
    EXPECT_EQ(test::CompareRgb(test::PictureRgb(*picture),
                               test::ReadRgbDump(DataPath(std::string("jpeg/") + name + ".jpg")
                                                     .replace_extension(".rgb"))), "");
  }
}

TEST(JpegReader, TruncatedFileLoadsWithItsFirstRows) {
  auto picture = ReadJpegFile(DataPath("jpeg/truncated.jpg"));
  ASSERT_TRUE(picture) << picture.code();
  auto actual = test::PictureRgb(*picture);
  auto whole = test::ReadRgbDump(DataPath("jpeg/truncated.rgb"));
  ASSERT_EQ(actual.height, 48);
  // The first row of 16-line blocks lies wholly before the cut; its last line
  // is upsampled with the next block row's colour, so it is left out.
  actual.height = whole.height = 15;
  actual.rgb.resize(16 * 15 * 3);
  whole.rgb.resize(16 * 15 * 3);
  EXPECT_EQ(test::CompareRgb(actual, whole), "");
}

TEST(JpegReader, GreyPictureRepeatsTheValue) {
  auto picture = ReadJpegBytes(CompressJpeg({}, {10, 80, 160, 240}));
  ASSERT_TRUE(picture) << picture.code();
  EXPECT_EQ(picture->BlockSize(), 40u + 16);
  EXPECT_EQ(picture->SizeImage(), 0u);
  EXPECT_EQ(picture->ClrUsed(), 0u);
  const auto block = picture->Bytes();
  for (size_t row : {40u, 48u}) {
    for (size_t at = row; at < row + 6; at += 3) {
      EXPECT_EQ(block[at], block[at + 1]);
      EXPECT_EQ(block[at], block[at + 2]);
    }
  }
  // Bottom-up: the top-left pixel (10) is in the second stored row.
  EXPECT_NEAR(block[48], 10, 3);
  EXPECT_NEAR(block[40 + 3], 240, 3);
}

TEST(JpegReader, DensityInDotsPerCentimetreOnly) {
  struct Case { int unit; uint32_t x, y; };
  for (const Case c : {Case{2, 500, 700}, Case{1, 0, 0}, Case{0, 0, 0}}) {
    SCOPED_TRACE(c.unit);
    auto picture = ReadJpegBytes(CompressJpeg({.density_unit = c.unit, .x_density = 5, .y_density = 7},
                                              {1, 2, 3, 4}));
    ASSERT_TRUE(picture) << picture.code();
    EXPECT_EQ(picture->Field32(DibField::kXPelsPerMeter), c.x);
    EXPECT_EQ(picture->Field32(DibField::kYPelsPerMeter), c.y);
  }
}

TEST(JpegReader, RefusesWhatItDoesNotTake) {
  const auto colour = test::ReadFileBytes(DataPath("jpeg/colour.jpg"));
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    Status status;
  };
  const Case cases[] = {
      {"4 bytes", {0xFF, 0xD8, 0xFF, 0xD9}, Status::kCannotOpen},
      {"empty", {}, Status::kCannotOpen},
      {"CMYK", test::ReadFileBytes(DataPath("jpeg/cmyk.jpg")), Status::kJpegColourSpace},
      {"arithmetic coding", test::ReadFileBytes(DataPath("jpeg/arithmetic.jpg")), Status::kJpegCoding},
      {"a GIF", test::ReadFileBytes(DataPath("gif/plain.gif")), Status::kJpegLibrary},
      {"tables only", CompressJpeg({.components = 3}, {}), Status::kJpegLibrary},
      {"header cut before the frame", std::vector<uint8_t>(colour.begin(), colour.begin() + 30),
       Status::kJpegLibrary},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadJpegBytes(c.bytes).status(), c.status);
  }
  EXPECT_EQ(ReadJpegFile(DataPath("jpeg/no-such-file.jpg")).status(), Status::kCannotOpen);

  // Lossless (SOF3) and hierarchical (SOF5…) frames: the SOF marker of a real
  // file changed, which is all the library looks at before it refuses.
  auto grey = test::ReadFileBytes(DataPath("jpeg/grey.jpg"));
  const uint8_t sof0[] = {0xFF, 0xC0};
  const auto sof = std::search(grey.begin() + 2, grey.end(), std::begin(sof0), std::end(sof0));
  ASSERT_NE(sof, grey.end());
  for (uint8_t marker : {0xC3, 0xC5, 0xC7, 0xCB, 0xCD, 0xCF}) {
    sof[1] = marker;
    EXPECT_EQ(ReadJpegBytes(grey).status(), Status::kJpegCoding) << int{marker};
  }
}

TEST(JpegMemorySource, HandsOutPiecesThenAnEndMarker) {
  std::vector<uint8_t> data(10000, 0x55);
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  errors.output_message = [](j_common_ptr) {};  // the end-of-data warning is expected here
  jpeg_create_decompress(&cinfo);
  JpegMemorySource source;
  AttachJpegMemorySource(&cinfo, source, data.data(), data.size());
  cinfo.src->init_source(&cinfo);
  std::vector<size_t> pieces;
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(FillJpegInput(&cinfo));
    pieces.push_back(cinfo.src->bytes_in_buffer);
  }
  EXPECT_EQ(pieces, (std::vector<size_t>{4096, 4096, 1808, 2, 2}));
  EXPECT_EQ(cinfo.src->next_input_byte[0], 0xFF);
  EXPECT_EQ(cinfo.src->next_input_byte[1], JPEG_EOI);
  jpeg_destroy_decompress(&cinfo);
}

}  // namespace
}  // namespace quorel
