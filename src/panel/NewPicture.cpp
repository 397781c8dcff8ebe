// Quorel — SPDX-License-Identifier: MIT
#include "panel/NewPicture.h"

#include "codec/ImportPicture.h"
#include "codec/gif/GifDecoder.h"
#include "codec/jpeg/JpegReader.h"
#include "panel/ImagePanel.h"
#include "panel/UprightPictureSink.h"

namespace quorel {
namespace {

// The whole road: the picture as read, then in 24 bits unless small.
Result<Decoded> ReadWhole(const std::filesystem::path& path) {
  Decoded decoded = QUOREL_TRY(ReadPictureFile(path));
  decoded.picture = QUOREL_TRY(AsPanelPicture(std::move(decoded.picture)));
  return decoded;
}

}  // namespace

Result<Decoded> ReadNewPicture(const std::filesystem::path& path) {
  const PictureKind kind = PictureKindOfFile(path);
  if (kind != PictureKind::kJpeg && kind != PictureKind::kGif) return ReadWhole(path);
  UprightPictureSink sink;
  JpegPixelDensity density;
  const Result<DecodedRows> read =
      kind == PictureKind::kJpeg ? ReadJpegFileRows(path, sink, density) : ReadGifFileRows(path, sink);
  // NOTE: a file refused before its rows (or a small or interlaced picture)
  // goes the whole road, which gives the status or picture it always gave.
  if (!sink.Begun()) return ReadWhole(path);
  const bool complete = QUOREL_TRY(read).complete;
  const bool swapped = sink.Swapped();
  PackedDib picture = std::move(sink).Finish();
  // As MakeUpright carries the density over, turned with the picture.
  picture.SetField32(DibField::kXPelsPerMeter, swapped ? density.y_per_metre : density.x_per_metre);
  picture.SetField32(DibField::kYPelsPerMeter, swapped ? density.x_per_metre : density.y_per_metre);
  return Decoded{std::move(picture), complete};
}

}  // namespace quorel
