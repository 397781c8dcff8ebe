// Quorel — SPDX-License-Identifier: MIT
#include "output/Mark.h"

#include "codec/gif/GifEncoder.h"
#include "codec/png/PngWriter.h"
#include "image/Coverage.h"
#include "image/TwoLevel.h"
#include "output/PanelPicture.h"

namespace quorel {
namespace {

constexpr int32_t kBackgroundIndex = 1;  // colour-table entry 1 of a two-level picture

// The picture's file bytes, and the picture they encode for outputs that
// compose it.
Result<MarkImage> Encode(const PackedDib& picture, Colour ink, OutputFormat format) {
  MarkImage image;
  image.format = format;
  image.ink = ink;
  if (format == OutputFormat::kPng) {
    image.pixels = QUOREL_TRY(MeasureCoverage(picture));
    image.bytes = QUOREL_TRY(EncodeCoveragePng(*image.pixels, ink));
  } else {
    image.pixels = QUOREL_TRY(ReduceToTwoLevels(picture, ink, ChooseBackground(ink)));
    image.bytes = QUOREL_TRY(EncodeGif({kBackgroundIndex, {{&*image.pixels, 0}}}));
  }
  return image;
}

}  // namespace

Result<Mark> MakeMark(const MarkRequest& request, MarkFailure* failure) {
  const auto fail = [&](PanelIndex index, bool unreadable, Status cause) {
    if (failure) *failure = {index, unreadable, cause};
    return index == PanelIndex::kSignature ? Status::kSignatureFailed : Status::kSealFailed;
  };
  // Every picture is read first, so that a new picture that cannot be read is
  // reported before anything else goes wrong (it is the caller's mistake).
  std::array<std::optional<Result<MadePicture>>, 2> read;
  for (const PanelIndex index : {PanelIndex::kSignature, PanelIndex::kSeal}) {
    const PanelRequest& panel = request.Panel(index);
    if (panel.enabled) read[static_cast<size_t>(index)] = ReadPanelPicture(panel, request.style.density);
  }
  for (const PanelIndex index : {PanelIndex::kSignature, PanelIndex::kSeal}) {
    const auto* file = std::get_if<PictureFile>(&request.Panel(index).picture);
    const auto& picture = read[static_cast<size_t>(index)];
    if (file && file->arrival == Arrival::kNew && picture && !*picture) {
      return fail(index, true, picture->status());
    }
  }

  Mark mark;
  mark.align = request.align;
  for (const PanelIndex index : {PanelIndex::kSignature, PanelIndex::kSeal}) {
    const PanelRequest& panel = request.Panel(index);
    auto& picture = read[static_cast<size_t>(index)];
    if (!picture) continue;
    if (!*picture) return fail(index, !std::holds_alternative<std::monostate>(panel.picture), picture->status());
    auto made = std::move(**picture).Sized(panel.scale, request.style.density);
    if (!made) return fail(index, false, made.status());
    auto image = Encode(made->picture(), panel.ink, request.style.format);
    if (!image) return fail(index, false, image.status());
    image->width = made->layout().width;
    image->height = made->layout().height;
    image->dense = made->dense();
    image->complete = made->complete();
    image->alt = panel.alt;
    mark.images[static_cast<size_t>(index)] = std::move(*image);
  }
  return mark;
}

}  // namespace quorel
