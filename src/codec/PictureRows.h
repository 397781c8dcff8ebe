// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "codec/Decoded.h"
#include "codec/ImportPicture.h"
#include "common/Result.h"
#include "image/RowSink.h"

namespace quorel {

// A picture file's rows, top row first where the format allows it, decoded
// straight into a sink (a scaler, say) without the whole picture ever being
// in memory. kUnsupported for a format that has no row reader (the caller
// reads the whole picture instead); otherwise the reader's status, or whether
// the file held every row.
Result<DecodedRows> ReadPictureFileRows(const std::filesystem::path& path, RowSink& sink);
// The same over a file's bytes in memory, read as `kind` (ReadPictureBytes).
Result<DecodedRows> ReadPictureBytesRows(std::span<const uint8_t> bytes, PictureKind kind, RowSink& sink);

}  // namespace quorel
