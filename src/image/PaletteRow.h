// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "common/Result.h"
#include "image/DibLayout.h"
#include "image/PackedDib.h"

namespace quorel {

// The colour table of a 1-, 4- or 8-bit picture, with room for one row, for
// readers that hand rows on as they decode them: a row's packed indexes come
// out in 24 bits exactly as ConvertTo24 makes them of the whole picture.
class PaletteRow {
 public:
  // `table` holds 4-byte entries (blue, green, red, unused), at most 256.
  static Result<PaletteRow> Create(int32_t width, int bit_count, std::span<const uint8_t> table);

  // The room for one row: its packed bytes, padding included (zero when
  // made), and the same as a picture one row high.
  std::span<uint8_t> Packed() const { return rows_.StoredRow(0); }
  const DibRows& Line() const { return rows_; }
  // A row's packed indexes as blue-green-red: 3 × width bytes.
  void To24(std::span<const uint8_t> packed, std::span<uint8_t> out) const;

 private:
  PaletteRow(PackedDib line, DibRows rows) : line_(std::move(line)), rows_(rows) {}

  PackedDib line_;  // a picture one row high, so colours read as in the whole one
  DibRows rows_;
};

}  // namespace quorel
