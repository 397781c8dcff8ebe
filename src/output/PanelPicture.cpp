// Quorel — SPDX-License-Identifier: MIT
#include "output/PanelPicture.h"

#include <algorithm>
#include <utility>

#include "codec/ImportPicture.h"
#include "codec/PictureRows.h"
#include "image/Resample.h"
#include "output/WorkingPicture.h"
#include "panel/ImagePanel.h"

namespace quorel {
namespace {

// A new picture decoded straight into the scaler, at the size `choose` picks
// for its (upright) size; none when the scaler declines: a format without a
// row reader, rows that do not come top-down, a small picture (kept as it
// comes, in its own depth) or no size chosen. The caller then reads the
// whole picture.
Result<std::optional<Decoded>> ReadScaled(const PictureSource& source, RowScaler::ChooseSize choose) {
  RowScaler scaler([&](PictureSize size) -> std::optional<PictureSize> {
    if (size.width < kMinPictureSide || size.height < kMinPictureSide) return std::nullopt;
    return choose(size);
  });
  const Result<DecodedRows> read = ReadNewPictureRows(source, scaler);
  if (scaler.Declined()) return std::optional<Decoded>();
  const bool complete = QUOREL_TRY(read).complete;
  return std::optional(Decoded{QUOREL_TRY(scaler.Finish()), complete});
}

}  // namespace

PictureSize MadeSize(const OutputSizeResult& output, int32_t source_width, int32_t source_height,
                     OutputDensity density) {
  const int32_t factor = static_cast<int32_t>(density);
  // Clamp by hand: the source may be smaller than the output.
  auto side = [&](int32_t out, int32_t source) {
    return std::max(out, std::min({out * factor, source, kMaxOutputSide}));
  };
  return {side(output.width, source_width), side(output.height, source_height)};
}

Result<MadePicture> MadePicture::Sized(const ScaleSettings& scale, OutputDensity density) && {
  if (sized_) return std::move(*this);
  const PackedDib& source = picture();
  const OutputSizeResult layout = ComputeOutputSize(scale, source.Width(), source.Height());
  if (!layout.scaling_applies) {
    layout_ = layout;
    sized_ = true;
    return std::move(*this);
  }
  const PictureSize made = MadeSize(layout, source.Width(), source.Height(), density);
  MadePicture sized(QUOREL_TRY(Resample(source, made.width, made.height)), layout, complete_);
  sized.ink_found_ = ink_found_;
  return sized;
}

Result<DecodedRows> ReadNewPictureRows(const PictureSource& source, RowSink& sink) {
  if (const auto* bytes = std::get_if<PictureBytes>(&source)) {
    return ReadPictureBytesRows(bytes->bytes, bytes->kind, sink);
  }
  return ReadPictureFileRows(std::get<PictureFile>(source).path, sink);
}

std::optional<PictureSize> ScaledSize(const PanelRequest& panel, OutputDensity density, PictureSize source) {
  // Only a new picture that is scaled goes into the scaler.
  if (!IsNewPicture(panel.picture) || panel.scale.mode == kScaleNone) return std::nullopt;
  if (source.width < kMinPictureSide || source.height < kMinPictureSide) return std::nullopt;
  const OutputSizeResult layout = ComputeOutputSize(panel.scale, source.width, source.height);
  const PictureSize made = MadeSize(layout, source.width, source.height, density);
  if (panel.cleanup == CleanupLevel::kNone) return made;
  // A cleaned picture: when it is large, it is cleaned at a working size.
  if (!layout.scaling_applies) return std::nullopt;  // a mode beyond the known ones: as the whole road
  return WorkingSize(source, made);
}

Result<MadePicture> MadeFromScaled(const PanelRequest& panel, OutputDensity density, InkWanted wanted,
                                   Decoded scaled, PictureSize source) {
  if (panel.cleanup == CleanupLevel::kNone) {
    const OutputSizeResult layout = ComputeOutputSize(panel.scale, source.width, source.height);
    return MadePicture(std::move(scaled.picture), layout, scaled.complete);
  }
  const PictureSize working{scaled.picture.Width(), scaled.picture.Height()};
  Cleaned cleaned = QUOREL_TRY(CleanPicture(scaled.picture, panel.cleanup, wanted));
  return MadeFromWorking(std::move(cleaned), source, working, panel.scale, density, scaled.complete);
}

Result<Decoded> ReadWholePicture(const PictureSource& source) {
  const auto* file = std::get_if<PictureFile>(&source);
  const auto* bytes = std::get_if<PictureBytes>(&source);
  if (!file && !bytes) return Status::kBadInput;
  Decoded decoded = QUOREL_TRY(file ? ReadPictureFile(file->path) : ReadPictureBytes(bytes->bytes, bytes->kind));
  if (IsNewPicture(source)) decoded.picture = QUOREL_TRY(AsPanelPicture(std::move(decoded.picture)));
  return decoded;
}

Result<MadePicture> MadeFromWhole(const PanelRequest& panel, InkWanted wanted, MadePicture whole) {
  const PackedDib& picture = whole.picture();
  // Small pictures and stored ones that are not 24-bit are output as they are.
  if (panel.cleanup != CleanupLevel::kNone && picture.BitCount() == 24 && !IsSmallPicture(picture)) {
    Cleaned cleaned = QUOREL_TRY(CleanPicture(picture, panel.cleanup, wanted));
    MadePicture made(std::move(cleaned.picture), whole.complete());
    if (!cleaned.ink_found) made.SetNoInk();
    return made;
  }
  return whole;
}

Result<MadePicture> ReadPanelPicture(const PanelRequest& panel, OutputDensity density, InkWanted wanted) {
  if (IsNewPicture(panel.picture) && panel.scale.mode != kScaleNone) {
    PictureSize source;
    auto scaled = QUOREL_TRY(ReadScaled(panel.picture, [&](PictureSize size) {
      source = size;
      return ScaledSize(panel, density, size);
    }));
    if (scaled) return MadeFromScaled(panel, density, wanted, std::move(*scaled), source);
  }
  if (const auto* kept = std::get_if<const PackedDib*>(&panel.picture)) {
    MadePicture borrowed(**kept);
    if (!panel.ink_found) borrowed.SetNoInk();
    return MadeFromWhole(panel, wanted, std::move(borrowed));
  }
  Decoded decoded = QUOREL_TRY(ReadWholePicture(panel.picture));
  return MadeFromWhole(panel, wanted, MadePicture(std::move(decoded.picture), decoded.complete));
}

}  // namespace quorel
