// Quorel — SPDX-License-Identifier: MIT
// ReadWebpFile: libwebp's incremental decoder decodes what the file holds;
// this file bounds it, composites over white and lays the rows out. A picture
// without alpha is decoded straight into the picture's block, so a phone's
// photo is held once while it is read, not twice.
#include "codec/webp/WebpReader.h"

#include <webp/decode.h>

#include <algorithm>
#include <memory>

#include "codec/PhotoBounds.h"
#include "codec/PhotoHead.h"
#include "codec/ReadFromFile.h"
#include "image/DibLayout.h"
#include "image/RowSink.h"

namespace quorel {
namespace {

struct DecoderDelete {
  void operator()(WebPIDecoder* decoder) const { WebPIDelete(decoder); }  // its pixels too
};

Status StatusOf(VP8StatusCode code) {
  switch (code) {
    case VP8_STATUS_OK: return Status::kOk;
    case VP8_STATUS_OUT_OF_MEMORY: return Status::kOutOfMemory;
    case VP8_STATUS_UNSUPPORTED_FEATURE: return Status::kUnsupported;
    default: return Status::kWebpLibrary;
  }
}

Result<void> CheckWebpHead(std::span<const uint8_t> head) {
  return IsWebpHead(head) ? Result<void>() : Result<void>(Status::kWebpLibrary);
}

// The header's size and features, checked before libwebp allocates the frame.
Result<WebPBitstreamFeatures> ReadFeatures(std::span<const uint8_t> bytes) {
  WebPBitstreamFeatures features;
  const VP8StatusCode code = WebPGetFeatures(bytes.data(), bytes.size(), &features);
  if (code == VP8_STATUS_NOT_ENOUGH_DATA) return Status::kWebpLibrary;  // not even a whole header
  if (code != VP8_STATUS_OK) return StatusOf(code);
  if (features.has_animation) return Status::kUnsupported;  // NOTE: a still picture is what a mark needs
  QUOREL_TRY(CheckDeclaredPhotoSize(features.width, features.height, bytes.size()));
  return features;
}

// How many rows an incremental decode of the whole file delivered (a file
// cut short delivers the rows above the cut), with its frame's first row and
// stride, the frame checked against the header's size.
Result<int> RowsDecoded(WebPIDecoder* decoder, VP8StatusCode code, const WebPBitstreamFeatures& features,
                        const uint8_t** pixels, int* stride) {
  if (code != VP8_STATUS_OK && code != VP8_STATUS_SUSPENDED) return StatusOf(code);
  int rows_done = 0, width = 0, height = 0;
  *pixels = WebPIDecGetRGB(decoder, &rows_done, &width, &height, stride);
  if (*pixels == nullptr) return Status::kWebpLibrary;  // cut before the first row's data
  if (width != features.width || height != features.height) return Status::kWebpLibrary;
  return std::clamp(rows_done, 0, height);
}

// Without alpha: libwebp writes the rows into the picture's block, top row
// first in memory, and they are then swapped into the block's bottom-up
// order in place.
Result<Decoded> ReadOpaqueWebp(std::span<const uint8_t> bytes, const WebPBitstreamFeatures& features) {
  PackedDib picture = QUOREL_TRY(CreateDib(features.width, features.height, 24, 0, PixelFill::kNone));
  const DibRows rows = QUOREL_TRY(DibRows::Of(picture));
  const DibGeometry& geometry = rows.geometry();
  const std::span<uint8_t> area = picture.Bytes().subspan(geometry.pixel_offset, geometry.stride * geometry.height);
  const std::unique_ptr<WebPIDecoder, DecoderDelete> decoder(
      WebPINewRGB(MODE_BGR, area.data(), area.size(), static_cast<int>(geometry.stride)));
  if (!decoder) return Status::kOutOfMemory;
  const VP8StatusCode code = WebPIUpdate(decoder.get(), bytes.data(), bytes.size());
  const uint8_t* pixels = nullptr;
  int stride = 0;
  const int rows_done = QUOREL_TRY(RowsDecoded(decoder.get(), code, features, &pixels, &stride));
  if (pixels != area.data() || static_cast<size_t>(stride) != geometry.stride) return Status::kWebpLibrary;
  // Stored row y holds the picture's row y from the top until swapped.
  const int32_t height = geometry.height;
  for (int32_t y = rows_done; y < height; ++y) {
    std::fill_n(rows.StoredRow(y).begin(), size_t{3} * geometry.width, uint8_t{255});  // paper where the file ran out
  }
  // Whole stored rows: their padding, zero from CreateDib, libwebp leaves.
  for (int32_t y = 0; y < height / 2; ++y) std::ranges::swap_ranges(rows.StoredRow(y), rows.StoredRow(height - 1 - y));
  return Decoded{std::move(picture), code == VP8_STATUS_OK};
}

Result<Decoded> ReadWebp(std::span<const uint8_t> bytes) {
  QUOREL_TRY(CheckWebpHead(bytes));
  const WebPBitstreamFeatures features = QUOREL_TRY(ReadFeatures(bytes));
  if (!features.has_alpha) return ReadOpaqueWebp(bytes, features);
  // With alpha: libwebp's own frame, composited over white into the picture.
  const int channels = 4;
  const std::unique_ptr<WebPIDecoder, DecoderDelete> decoder(WebPINewRGB(MODE_BGRA, nullptr, 0, 0));
  if (!decoder) return Status::kOutOfMemory;
  const VP8StatusCode code = WebPIUpdate(decoder.get(), bytes.data(), bytes.size());
  const uint8_t* pixels = nullptr;
  int stride = 0;
  const int rows_done = QUOREL_TRY(RowsDecoded(decoder.get(), code, features, &pixels, &stride));
  const int width = features.width;
  const int height = features.height;
  if (stride < width * channels) return Status::kWebpLibrary;
  return DecodeIntoPicture([&](RowSink& sink) -> Result<DecodedRows> {
    QUOREL_TRY(sink.Begin(width, height, RowOrder::kTopDown));
    for (int y = 0; y < height; ++y) {
      const std::span<uint8_t> row = sink.Row(y);
      if (y >= rows_done) {
        std::fill(row.begin(), row.end(), uint8_t{255});  // paper where the file ran out
        continue;
      }
      PutRowOverWhite(pixels + static_cast<size_t>(y) * static_cast<size_t>(stride), width, channels, ChannelOrder::kBgr,
                      row);
    }
    return DecodedRows{code == VP8_STATUS_OK};
  });
}

}  // namespace

Result<Decoded> ReadWebpFile(const std::filesystem::path& path) {
  return ReadFromFile(path, CheckWebpHead, ReadWebp);
}

Result<Decoded> ReadWebpBytes(std::span<const uint8_t> bytes) { return ReadWebp(bytes); }

}  // namespace quorel
