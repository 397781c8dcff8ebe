// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Status.h"

namespace quorel {

// NOTE: the page takes smaller pictures than the tool: wasm32 has 4 GiB at
// most, and a phone's browser gives a page far less. 64 Mi pixels are 192 MiB
// at 24 bits; the panel's cleaned copy and the mark's scaler come beside them.
inline constexpr int64_t kPagePixels = int64_t{1} << 26;

// What the page says for a status, in the window's words (UTF-8): a picture
// file `name` refused by its reader, and the panel keeping its picture; or,
// for kSignatureFailed and kSealFailed, the mark that could not be made and
// what to do (`name` empty: the panel has no picture).
std::string WebStatusText(Status status, std::string_view name);

}  // namespace quorel
