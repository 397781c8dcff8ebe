// Quorel — SPDX-License-Identifier: MIT
#include "codec/PictureRows.h"

#include "codec/ImportPicture.h"
#include "codec/bmp/BmpFile.h"
#include "codec/gif/GifDecoder.h"
#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"

namespace quorel {

Result<DecodedRows> ReadPictureFileRows(const std::filesystem::path& path, RowSink& sink) {
  switch (PictureKindOfFile(path)) {
    case PictureKind::kJpeg: return ReadJpegFileRows(path, sink);
    case PictureKind::kPng: return ReadPngFileRows(path, sink);
    case PictureKind::kGif: return ReadGifFileRows(path, sink);
    case PictureKind::kBmp: return ReadBmpFileRows(path, sink);
    default: return Status::kUnsupported;
  }
}

Result<DecodedRows> ReadPictureBytesRows(std::span<const uint8_t> bytes, PictureKind kind, RowSink& sink) {
  if (kind != PictureKind::kJpeg && kind != PictureKind::kPng) return Status::kUnsupported;
  if (bytes.size() > kMaxBlockBytes) return Status::kTooLarge;
  return kind == PictureKind::kJpeg ? ReadJpegBytesRows(bytes, sink) : ReadPngBytesRows(bytes, sink);
}

}  // namespace quorel
