// Quorel — SPDX-License-Identifier: MIT
#include "output/PanelPicture.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "codec/ImportPicture.h"
#include "codec/PictureRows.h"
#include "image/ConvertTo24.h"
#include "image/Resample.h"
#include "output/WorkingPicture.h"
#include "panel/ImagePanel.h"

namespace quorel {
namespace {

// The one decision between the two roads: a new picture that is only
// scaled goes straight into the scaler.
bool Streams(const PanelRequest& panel) {
  return IsNewPicture(panel.picture) && panel.cleanup == CleanupLevel::kNone && panel.scale.mode != kScaleNone;
}

// A new picture cleaned and scaled down: when it is large, it is cleaned at a
// working size it is scaled to while it is decoded.
bool CleansWorkingPicture(const PanelRequest& panel) {
  return IsNewPicture(panel.picture) && panel.cleanup != CleanupLevel::kNone && panel.scale.mode != kScaleNone;
}

// A new picture's rows, from its file or its bytes.
Result<DecodedRows> ReadNewPictureRows(const PictureSource& source, RowSink& sink) {
  if (const auto* bytes = std::get_if<PictureBytes>(&source)) {
    return ReadPictureBytesRows(bytes->bytes, bytes->kind, sink);
  }
  return ReadPictureFileRows(std::get<PictureFile>(source).path, sink);
}

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

Result<MadePicture> ReadPanelPicture(const PanelRequest& panel, OutputDensity density, InkWanted wanted) {
  if (Streams(panel)) {
    OutputSizeResult layout;
    auto scaled = QUOREL_TRY(ReadScaled(panel.picture, [&](PictureSize source) -> std::optional<PictureSize> {
      layout = ComputeOutputSize(panel.scale, source.width, source.height);
      return MadeSize(layout, source.width, source.height, density);
    }));
    if (scaled) return MadePicture(std::move(scaled->picture), layout, scaled->complete);
  }
  if (CleansWorkingPicture(panel)) {
    PictureSize source;
    PictureSize working;
    auto scaled = QUOREL_TRY(ReadScaled(panel.picture, [&](PictureSize size) -> std::optional<PictureSize> {
      const OutputSizeResult layout = ComputeOutputSize(panel.scale, size.width, size.height);
      if (!layout.scaling_applies) return std::nullopt;  // a mode beyond the known ones: as the whole road
      const auto chosen = WorkingSize(size, MadeSize(layout, size.width, size.height, density));
      if (chosen) std::tie(source, working) = std::pair(size, *chosen);
      return chosen;
    }));
    if (scaled) {
      Cleaned cleaned = QUOREL_TRY(CleanPicture(scaled->picture, panel.cleanup, wanted));
      return MadeFromWorking(std::move(cleaned), source, working, panel.scale, density, scaled->complete);
    }
  }

  std::optional<PackedDib> owned;
  const PackedDib* picture = nullptr;
  bool complete = true;
  const auto* file = std::get_if<PictureFile>(&panel.picture);
  const auto* bytes = std::get_if<PictureBytes>(&panel.picture);
  if (file || bytes) {
    Decoded decoded = QUOREL_TRY(file ? ReadPictureFile(file->path) : ReadPictureBytes(bytes->bytes, bytes->kind));
    complete = decoded.complete;
    owned = std::move(decoded.picture);
    if (IsNewPicture(panel.picture) && !IsSmallPicture(*owned)) owned = QUOREL_TRY(ConvertTo24(std::move(*owned)));
    picture = &*owned;
  } else if (const auto* kept = std::get_if<const PackedDib*>(&panel.picture)) {
    picture = *kept;
  }
  if (!picture) return Status::kBadInput;
  // Small pictures and stored ones that are not 24-bit are output as they are.
  if (panel.cleanup != CleanupLevel::kNone && picture->BitCount() == 24 && !IsSmallPicture(*picture)) {
    Cleaned cleaned = QUOREL_TRY(CleanPicture(*picture, panel.cleanup, wanted));
    MadePicture made(std::move(cleaned.picture), complete);
    if (!cleaned.ink_found) made.SetNoInk();
    return made;
  }
  if (owned) return MadePicture(std::move(*owned), complete);
  MadePicture kept(*picture);
  if (!panel.ink_found) kept.SetNoInk();
  return kept;
}

}  // namespace quorel
