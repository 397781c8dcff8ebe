// Quorel — SPDX-License-Identifier: MIT
#include "output/Mark.h"

#include <algorithm>

#include "codec/gif/GifEncoder.h"
#include "codec/png/PngWriter.h"
#include "image/Coverage.h"
#include "image/DibLayout.h"
#include "image/TwoLevel.h"
#include "output/MarkPicture.h"
#include "output/PanelPicture.h"
#include "output/SharedPicture.h"
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

// Whether the panel's picture, laid out at its own size, is small enough for
// the composed picture; a larger one is refused there, so its pixels are not kept.
bool Composable(const MadePicture& made, OutputDensity density) {
  const int64_t scale = static_cast<int64_t>(density);
  return int64_t{made.layout().width} * scale * made.layout().height * scale <= kMaxMarkPicturePixels;
}

// The picture's file bytes, and the picture they encode for outputs that
// compose it; a picture without ink as a transparent one. The picture is let
// go as soon as what is encoded from it is made, so that the next panel's
// picture is not read beside it.
Result<MarkImage> Encode(MadePicture made, const PanelRequest& panel, const OutputStyle& style) {
  const OutputFormat format = style.format;
  const Colour ink = panel.ink;
  MarkImage image;
  image.format = format;
  image.ink = ink;
  image.width = made.layout().width;
  image.height = made.layout().height;
  image.dense = made.dense();
  image.complete = made.complete();
  image.alt = panel.alt;
  image.ink_found = made.ink_found();
  const bool keep_pixels = Composable(made, style.density);
  {
    const MadePicture picture = std::move(made);
    if (!keep_pixels && format == OutputFormat::kPng && picture.ink_found() && picture.picture().BitCount() == 24) {
      // Its coverage is not kept: made a row at a time into the file.
      const CoverageRows coverage = QUOREL_TRY(CoverageRows::Of(picture.picture()));
      image.bytes = QUOREL_TRY(EncodeCoveragePng(coverage.width(), coverage.height(), ink,
                                                 [&](int32_t y, std::span<uint8_t> alpha) {
                                                   coverage.StoredRow(coverage.height() - 1 - y, alpha);
                                                 }));
      return image;
    }
    if (!picture.ink_found()) {
      image.pixels = QUOREL_TRY(Blank(picture.picture(), ink, format));
    } else if (format == OutputFormat::kPng) {
      image.pixels = QUOREL_TRY(MeasureCoverage(picture.picture()));
    } else {
      image.pixels = QUOREL_TRY(ReduceToTwoLevels(picture.picture(), ink, ChooseBackground(ink)));
    }
  }
  if (format == OutputFormat::kPng) {
    image.bytes = QUOREL_TRY(EncodeCoveragePng(*image.pixels, ink));
  } else {
    image.bytes = QUOREL_TRY(EncodeGif({kBackgroundIndex, {{&*image.pixels, 0}}}));
  }
  if (!keep_pixels) image.pixels.reset();
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
  // Each picture is made and encoded before the next is read, so that one
  // whole picture is held at a time; the failures wait until both are tried,
  // so that a new picture that cannot be read is reported before anything
  // else goes wrong (it is the caller's mistake).
  std::array<std::optional<Status>, 2> unread;  // why a picture could not be read
  std::array<std::optional<Result<MarkImage>>, 2> encoded;
  // Both panels taking one photo read it once.
  std::optional<Result<SharedPicture>> shared;
  if (SharesNewPicture(request)) shared = SharedPicture::Read(request);
  for (const PanelIndex index : kPanelIndexes) {
    const PanelRequest& panel = request.Panel(index);
    if (!panel.enabled) continue;
    const InkWanted wanted = RequestedInk(index, panel);
    auto picture = !shared    ? ReadPanelPicture(panel, request.style.density, wanted)
                   : *shared ? (*shared)->Made(index, panel, request.style.density, wanted)
                             : Result<MadePicture>(shared->status());
    if (!picture) {
      unread[static_cast<size_t>(index)] = picture.status();
      continue;
    }
    auto made = std::move(*picture).Sized(panel.scale, request.style.density);
    encoded[static_cast<size_t>(index)] =
        made ? Encode(std::move(*made), panel, request.style) : Result<MarkImage>(made.status());
  }
  for (const PanelIndex index : kPanelIndexes) {
    const auto& cause = unread[static_cast<size_t>(index)];
    if (IsNewPicture(request.Panel(index).picture) && cause) return fail(index, true, *cause);
  }

  Mark mark;
  mark.align = request.align;
  for (const PanelIndex index : kPanelIndexes) {
    const PanelRequest& panel = request.Panel(index);
    if (const auto& cause = unread[static_cast<size_t>(index)]) {
      return fail(index, !std::holds_alternative<std::monostate>(panel.picture), *cause);
    }
    auto& image = encoded[static_cast<size_t>(index)];
    if (!image) continue;
    if (!*image) return fail(index, false, image->status());
    mark.images[static_cast<size_t>(index)] = std::move(**image);
  }
  return mark;
}

}  // namespace quorel
