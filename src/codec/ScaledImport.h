// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>

#include "common/Result.h"
#include "image/PackedDib.h"
#include "image/RowScaler.h"

namespace quorel {

// A JPEG or non-interlaced PNG file decoded straight into the scaler, for
// output made from a file without keeping its picture: the picture that
// Resample would make of ReadPictureFile's, without the whole picture ever
// being in memory. None when the stream cannot do it (another format, an
// interlaced PNG, no size chosen for the picture): the caller reads the
// whole picture instead. Otherwise the reader's status or the scaled picture.
std::optional<Result<PackedDib>> ReadPictureFileScaled(const std::filesystem::path& path,
                                                       const RowScaler::ChooseSize& choose);

}  // namespace quorel
