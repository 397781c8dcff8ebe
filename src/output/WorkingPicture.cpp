// Quorel — SPDX-License-Identifier: MIT
#include "output/WorkingPicture.h"

#include <algorithm>
#include <cmath>

#include "image/Resample.h"

namespace quorel {
namespace {

int32_t Rounded(double side) { return static_cast<int32_t>(std::clamp(std::lround(side), 1L, long{kMaxOutputSide})); }

}  // namespace

std::optional<PictureSize> WorkingSize(PictureSize source, PictureSize made, int32_t short_side) {
  if (source.width < 1 || source.height < 1) return std::nullopt;
  const double w = source.width;
  const double h = source.height;
  const double ratio = std::max({short_side / std::min(w, h), double{kWorkingPerMade} * made.width / w,
                                 double{kWorkingPerMade} * made.height / h});
  const PictureSize working{Rounded(w * ratio), Rounded(h * ratio)};
  // Only a source more than twice as wide is box-averaged: interpolation
  // would drop thin strokes between the pixels it takes.
  if (2 * int64_t{working.width} >= source.width || 2 * int64_t{working.height} >= source.height) return std::nullopt;
  return working;
}

Result<MadePicture> MadeFromWorking(Cleaned cleaned, PictureSize source, PictureSize working,
                                    const ScaleSettings& scale, OutputDensity density, bool complete) {
  if (!cleaned.ink_found) {
    MadePicture made(std::move(cleaned.picture), complete);
    made.SetNoInk();
    return made;
  }
  // The cleaned part's size in the source's pixels: what a scale by ratio is
  // taken of, and what the made picture may not be larger than.
  const PackedDib& picture = cleaned.picture;
  const int32_t width = Rounded(static_cast<double>(picture.Width()) * source.width / working.width);
  const int32_t height = Rounded(static_cast<double>(picture.Height()) * source.height / working.height);
  const OutputSizeResult layout = ComputeOutputSize(scale, width, height);
  if (!layout.scaling_applies) return Status::kBadInput;  // the caller takes this road only to scale
  const PictureSize made = MadeSize(layout, width, height, density);
  return MadePicture(QUOREL_TRY(Resample(picture, made.width, made.height)), layout, complete);
}

}  // namespace quorel
