// Quorel — SPDX-License-Identifier: MIT
#include "output/Mark.h"

#include <algorithm>

#include "codec/gif/GifEncoder.h"
#include "codec/png/PngWriter.h"
#include "image/Coverage.h"
#include "image/DibLayout.h"
#include "image/TwoLevel.h"
#include "output/PanelPicture.h"
#include "panel/CleanupSettings.h"

namespace quorel {
namespace {

constexpr int32_t kBackgroundIndex = 1;  // colour-table entry 1 of a two-level picture

// A picture a clean-up found no ink in, as a two-level picture all
// background, or a coverage picture all bare paper: fully transparent.
Result<PackedDib> Blank(const PackedDib& picture, Colour ink, OutputFormat format) {
  const int32_t w = picture.Width(), h = picture.Height();
  if (format == OutputFormat::kPng) {
    PackedDib coverage = QUOREL_TRY(CreateDib(w, h, 8, 256));
    auto table = coverage.Bytes().subspan(kInfoHeaderSize, 4 * 256);
    for (size_t i = 0; i < 256; ++i) table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<uint8_t>(i);
    return coverage;
  }
  // An exact copy of a two-level picture keeps its table: a white picture
  // reduced and then every bit set to the background.
  PackedDib two_level = QUOREL_TRY(ReduceToTwoLevels(picture, ink, ChooseBackground(ink)));
  const DibRows rows = QUOREL_TRY(DibRows::Of(two_level));
  for (int32_t y = 0; y < rows.height(); ++y) {
    const auto row = rows.StoredRow(y);
    std::fill(row.begin(), row.end(), uint8_t{0xFF});
  }
  return two_level;
}

// The picture's file bytes, and the picture they encode for outputs that
// compose it; a picture without ink as a transparent one.
Result<MarkImage> Encode(const MadePicture& made, Colour ink, OutputFormat format) {
  MarkImage image;
  image.format = format;
  image.ink = ink;
  const PackedDib& picture = made.picture();
  if (!made.ink_found()) {
    image.pixels = QUOREL_TRY(Blank(picture, ink, format));
  } else if (format == OutputFormat::kPng) {
    image.pixels = QUOREL_TRY(MeasureCoverage(picture));
  } else {
    image.pixels = QUOREL_TRY(ReduceToTwoLevels(picture, ink, ChooseBackground(ink)));
  }
  if (format == OutputFormat::kPng) {
    image.bytes = QUOREL_TRY(EncodeCoveragePng(*image.pixels, ink));
  } else {
    image.bytes = QUOREL_TRY(EncodeGif({kBackgroundIndex, {{&*image.pixels, 0}}}));
  }
  return image;
}

// What a panel's photo clean-up keeps: what the request says (one photo shared
// by both panels), else the panel's own rule.
InkWanted RequestedInk(PanelIndex index, const PanelRequest& panel) {
  return panel.wanted_ink ? *panel.wanted_ink : WantedInk(index, panel.ink);
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
  std::array<Status, 2> sizing{Status::kOk, Status::kOk};
  for (const PanelIndex index : kPanelIndexes) {
    const PanelRequest& panel = request.Panel(index);
    if (!panel.enabled) continue;
    auto picture = ReadPanelPicture(panel, request.style.density, RequestedInk(index, panel));
    // Sized at once, so that no more than one whole picture is held at a
    // time; a failure to size waits behind the other panel's read.
    if (picture) {
      auto made = std::move(*picture).Sized(panel.scale, request.style.density);
      if (made) picture = std::move(made);
      else sizing[static_cast<size_t>(index)] = made.status();
    }
    read[static_cast<size_t>(index)] = std::move(picture);
  }
  for (const PanelIndex index : kPanelIndexes) {
    const auto& picture = read[static_cast<size_t>(index)];
    if (IsNewPicture(request.Panel(index).picture) && picture && !*picture) {
      return fail(index, true, picture->status());
    }
  }

  Mark mark;
  mark.align = request.align;
  for (const PanelIndex index : kPanelIndexes) {
    const PanelRequest& panel = request.Panel(index);
    auto& picture = read[static_cast<size_t>(index)];
    if (!picture) continue;
    if (!*picture) return fail(index, !std::holds_alternative<std::monostate>(panel.picture), picture->status());
    if (sizing[static_cast<size_t>(index)] != Status::kOk) return fail(index, false, sizing[static_cast<size_t>(index)]);
    auto made = std::move(**picture).Sized(panel.scale, request.style.density);
    if (!made) return fail(index, false, made.status());
    auto image = Encode(*made, panel.ink, request.style.format);
    if (!image) return fail(index, false, image.status());
    image->width = made->layout().width;
    image->height = made->layout().height;
    image->dense = made->dense();
    image->complete = made->complete();
    image->alt = panel.alt;
    image->ink_found = made->ink_found();
    mark.images[static_cast<size_t>(index)] = std::move(*image);
  }
  return mark;
}

}  // namespace quorel
