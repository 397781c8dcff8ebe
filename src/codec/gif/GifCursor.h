// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

namespace quorel {

// A GIF file's bytes and the read position of the decoder. Bytes at or past
// the end read as 0, like the zero slack behind a loaded file, so a damaged
// file ends in zero-length blocks rather than in reads outside the data.
struct GifCursor {
  std::span<const uint8_t> bytes;  // the file's data
  int64_t position = 0;

  int64_t size() const { return static_cast<int64_t>(bytes.size()); }
  uint8_t At(int64_t at) const { return at >= 0 && at < size() ? bytes[static_cast<size_t>(at)] : 0; }
  uint16_t Le16At(int64_t at) const { return static_cast<uint16_t>(At(at) | (At(at + 1) << 8)); }
};

}  // namespace quorel
