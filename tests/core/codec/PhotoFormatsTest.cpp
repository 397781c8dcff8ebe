// Quorel — SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <libheif/heif_cxx.h>
#include <algorithm>
#include "codec/heif/HeifReader.h"
#include "codec/webp/WebpReader.h"
#include "image/DibLayout.h"
#include "support/TestData.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {
using test::Grey;
using test::PixelAt;

std::vector<uint8_t> Bytes(const char* name, size_t most = SIZE_MAX) {
  auto bytes = test::ReadFileBytes(test::DataPath(name));
  bytes.resize(std::min(most, bytes.size()));
  return bytes;
}

// Damaged files are refused with their reason (a size the file cannot hold: bounds_test's over-cap seeds); one
// cut in its data keeps the rows above the cut.
TEST(PhotoFormats, DamagedFilesAreRefusedOrKeepTheirRows) {
  using enum Status;
  const std::tuple<const char*, std::vector<uint8_t>, Status> cases[] = {
      {"webp header only", Bytes("webp/lossy.webp", 20), kWebpLibrary},
      {"webp before its first row", Bytes("webp/lossy.webp", 40), kWebpLibrary},
      {"heic cut in half", Bytes("heif/colour.heic", 450), kHeifLibrary},
      {"not webp", Bytes("png/rgb8.png"), kWebpLibrary},
  };
  for (const auto& [what, bytes, status] : cases) {
    SCOPED_TRACE(what);
    EXPECT_EQ((std::string_view(what).starts_with("heic") ? ReadHeifBytes(bytes) : ReadWebpBytes(bytes)).status(),
              status);
  }
  const auto cut = ReadWebpBytes(Bytes("webp/cut.webp"));
  ASSERT_TRUE(cut) << cut.code();
  EXPECT_FALSE(cut->complete);
  EXPECT_NE(PixelAt(cut->picture, 120, 0), Grey(255));  // the photo's grey paper
  EXPECT_EQ(PixelAt(cut->picture, 120, 179), Grey(255));
}

// An opaque WebP is decoded straight into the picture's block: its rows'
// padding (7 pixels wide: 3 bytes a row) must stay zero.
TEST(PhotoFormats, WebpDecodedInPlaceKeepsRowPaddingZero) {
  auto read = ReadWebpBytes(Bytes("webp/lossless.webp"));
  ASSERT_TRUE(read) << read.code();
  const auto rows = DibRows::Of(read->picture);
  ASSERT_TRUE(rows);
  for (int32_t y = 0; y < rows->height(); ++y) {
    const auto row = rows->StoredRow(y);
    EXPECT_TRUE(std::all_of(row.begin() + 3 * rows->width(), row.end(), [](uint8_t b) { return b == 0; })) << y;
  }
}

// libheif's own encoder writes "turned 90° clockwise" as an irot box; the left half (black) comes out on top.
TEST(PhotoFormats, HeifComesOutTurnedAsItsRotationSays) {
  struct Memory : heif::Context::Writer {
    std::vector<uint8_t> bytes;
    heif_error write(const void* data, size_t size) override {
      bytes.insert(bytes.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
      return {heif_error_Ok, heif_suberror_Unspecified, ""};
    }
  } memory;
  heif_init(nullptr);  // registers the encoders
  {
    heif::Image image;
    image.create(32, 16, heif_colorspace_RGB, heif_chroma_interleaved_RGB);
    image.add_plane(heif_channel_interleaved, 32, 16, 8);
    int stride = 0;
    uint8_t* plane = image.get_plane(heif_channel_interleaved, &stride);
    for (int i = 0; i < 16 * stride; ++i) plane[i] = i % stride < 16 * 3 ? 0 : 255;
    heif::Encoder encoder(heif_compression_HEVC);
    heif::Context::EncodingOptions options;
    options.image_orientation = heif_orientation_rotate_90_cw;
    heif::Context context;
    context.encode_image(image, encoder, options);
    context.write(memory);
  }
  heif_deinit();
  const auto read = ReadHeifBytes(memory.bytes);
  ASSERT_TRUE(read) << read.code();
  ASSERT_EQ(read->picture.Width(), 16);
  ASSERT_EQ(read->picture.Height(), 32);
  EXPECT_LT(PixelAt(read->picture, 8, 4).red, 64);
  EXPECT_GT(PixelAt(read->picture, 8, 28).red, 192);
}

}  // namespace
}  // namespace quorel
