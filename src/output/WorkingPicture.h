// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include "common/Result.h"
#include "image/RowScaler.h"
#include "image/cleanup/Cleanup.h"
#include "output/PanelPicture.h"

namespace quorel {

// A clean-up's decisions (paper light, ink box, stroke width) need some
// hundreds of pixels across, not a camera's thousands: a large photo that is
// scaled down anyway is cleaned as a working picture, the source scaled to
// this short side while it is decoded, with at least kWorkingPerMade times
// the pixels of its whole made picture each way.
inline constexpr int32_t kWorkingShortSide = 768;
inline constexpr int32_t kWorkingPerMade = 4;

// The working size of a source whose whole picture is made at `made`, for a
// working short side of `short_side`; none when it would not be less than half
// the source's each way (such a source is cleaned whole).
std::optional<PictureSize> WorkingSize(PictureSize source, PictureSize made,
                                       int32_t short_side = kWorkingShortSide);

// A picture cleaned at its working size brought to its made size: laid out
// as the same part of the source would be, then resampled. A picture without
// ink is left unsized, as the whole road leaves it.
Result<MadePicture> MadeFromWorking(Cleaned cleaned, PictureSize source, PictureSize working,
                                    const ScaleSettings& scale, OutputDensity density, bool complete);

}  // namespace quorel
