// Quorel — SPDX-License-Identifier: MIT
#include "output/PanelPicture.h"

#include <algorithm>

#include "codec/ImportPicture.h"
#include "codec/PictureRows.h"
#include "image/ConvertTo24.h"
#include "image/Resample.h"
#include "panel/ImagePanel.h"

namespace quorel {
namespace {

// The one decision between the two roads: a new picture that is only
// scaled goes straight into the scaler.
bool Streams(const PanelRequest& panel) {
  return IsNewPicture(panel.picture) && panel.cleanup == CleanupLevel::kNone && panel.scale.mode != kScaleNone;
}

// A new picture's rows, from its file or its bytes.
Result<DecodedRows> ReadNewPictureRows(const PictureSource& source, RowSink& sink) {
  if (const auto* bytes = std::get_if<PictureBytes>(&source)) {
    return ReadPictureBytesRows(bytes->bytes, bytes->kind, sink);
  }
  return ReadPictureFileRows(std::get<PictureFile>(source).path, sink);
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
    RowScaler scaler([&](PictureSize source) -> std::optional<PictureSize> {
      // Small pictures are kept as they come, in their own depth.
      if (source.width < kMinPictureSide || source.height < kMinPictureSide) return std::nullopt;
      layout = ComputeOutputSize(panel.scale, source.width, source.height);
      return MadeSize(layout, source.width, source.height, density);
    });
    const Result<DecodedRows> read = ReadNewPictureRows(panel.picture, scaler);
    // A format without a row reader, rows that do not come top-down or a
    // small picture: the whole picture below.
    if (!scaler.Declined()) {
      const bool complete = QUOREL_TRY(read).complete;
      return MadePicture(QUOREL_TRY(scaler.Finish()), layout, complete);
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
