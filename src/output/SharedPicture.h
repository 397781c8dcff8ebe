// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>

#include "codec/Decoded.h"
#include "common/Result.h"
#include "output/MarkRequest.h"
#include "output/PanelPicture.h"

namespace quorel {

// Whether both panels take part with one and the same new picture (a photo
// of a signed and sealed page, each panel keeping its own ink).
bool SharesNewPicture(const MarkRequest& request);

// The one new picture both panels take, decoded once: each panel's rows
// scaled to its own size as they come (its made or working size), or, when
// either panel needs the whole picture, the whole picture read once, the
// other panel's scaled picture made of it. Each panel's picture is then made
// as ReadPanelPicture makes it, with the same bytes.
class SharedPicture {
 public:
  // The reader's status when the picture cannot be read at all.
  static Result<SharedPicture> Read(const MarkRequest& request);

  // The panel's picture, once: read, cleaned with the `wanted` ink, and made
  // where its road makes it.
  Result<MadePicture> Made(PanelIndex index, const PanelRequest& panel, OutputDensity density, InkWanted wanted);

 private:
  SharedPicture() = default;

  PictureSize source_;  // upright, as the scalers were told
  bool complete_ = true;
  std::array<std::optional<PictureSize>, 2> scaled_size_;  // what each panel's scaler took
  std::array<std::optional<PackedDib>, 2> scaled_;
  std::optional<PackedDib> whole_;  // when either panel needs it
};

}  // namespace quorel
