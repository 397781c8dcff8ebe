// Quorel — SPDX-License-Identifier: MIT
// ReadWebpFile: libwebp's incremental decoder decodes what the file holds;
// this file bounds it, composites over white and lays the rows out.
#include "codec/webp/WebpReader.h"

#include <webp/decode.h>

#include <algorithm>
#include <memory>

#include "codec/PhotoBounds.h"
#include "codec/PhotoHead.h"
#include "codec/ReadFromFile.h"
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

Result<Decoded> ReadWebp(std::span<const uint8_t> bytes) {
  QUOREL_TRY(CheckWebpHead(bytes));
  const WebPBitstreamFeatures features = QUOREL_TRY(ReadFeatures(bytes));
  const int channels = features.has_alpha ? 4 : 3;
  // The incremental decoder keeps the rows above a cut, as the JPEG reader
  // does; libwebp allocates the frame in the colour order asked for.
  const std::unique_ptr<WebPIDecoder, DecoderDelete> decoder(
      WebPINewRGB(features.has_alpha ? MODE_BGRA : MODE_BGR, nullptr, 0, 0));
  if (!decoder) return Status::kOutOfMemory;
  const VP8StatusCode code = WebPIUpdate(decoder.get(), bytes.data(), bytes.size());
  if (code != VP8_STATUS_OK && code != VP8_STATUS_SUSPENDED) return StatusOf(code);
  int rows_done = 0, width = 0, height = 0, stride = 0;
  const uint8_t* pixels = WebPIDecGetRGB(decoder.get(), &rows_done, &width, &height, &stride);
  if (pixels == nullptr) return Status::kWebpLibrary;  // cut before the first row's data
  if (width != features.width || height != features.height || stride < width * channels) {
    return Status::kWebpLibrary;
  }
  rows_done = std::clamp(rows_done, 0, height);
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
