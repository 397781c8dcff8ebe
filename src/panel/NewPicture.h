// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

#include "codec/Decoded.h"
#include "common/Result.h"

namespace quorel {

// A picture file read as a panel's new picture: what ReadPictureFile gives
// made 24-bit by ConvertTo24 (a picture under 16 pixels a side as it comes),
// byte for byte and with the same statuses, but with one whole picture in
// memory at a time. JPEG (turned upright as its rows come) and
// non-interlaced GIF rows are decoded straight into the 24-bit picture; PNG,
// HEIF and WebP already come as one; an interlaced GIF and every BMP are
// read whole (a BMP's header fields reach the stored picture), then
// converted.
Result<Decoded> ReadNewPicture(const std::filesystem::path& path);

}  // namespace quorel
