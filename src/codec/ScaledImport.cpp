// Quorel — SPDX-License-Identifier: MIT
#include "codec/ScaledImport.h"

#include "codec/ImportPicture.h"
#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"

namespace quorel {

std::optional<Result<PackedDib>> ReadPictureFileScaled(const std::filesystem::path& path,
                                                       const RowScaler::ChooseSize& choose) {
  const PictureKind kind = PictureKindOf(path);
  if (kind != PictureKind::kJpeg && kind != PictureKind::kPng) return std::nullopt;
  RowScaler scaler(choose);
  const Result<DecodedRows> read =
      kind == PictureKind::kJpeg ? ReadJpegFileRows(path, scaler) : ReadPngFileRows(path, scaler);
  if (scaler.Declined()) return std::nullopt;
  if (!read) return Result<PackedDib>(read.status());
  return scaler.Finish();
}

}  // namespace quorel
