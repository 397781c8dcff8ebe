// Quorel — SPDX-License-Identifier: MIT
#include "image/PaletteRow.h"

#include <algorithm>

#include "image/ConvertTo24.h"

namespace quorel {

Result<PaletteRow> PaletteRow::Create(int32_t width, int bit_count, std::span<const uint8_t> table) {
  const auto entries = static_cast<uint32_t>(table.size() / 4);
  if (bit_count > 8 || entries > 256) return Status::kBadInput;
  PackedDib line = QUOREL_TRY(CreateDib(width, 1, bit_count, entries));
  std::copy_n(table.begin(), 4 * size_t{entries}, line.Bytes().begin() + kInfoHeaderSize);
  const DibRows rows = QUOREL_TRY(DibRows::Of(line));
  return PaletteRow(std::move(line), rows);
}

void PaletteRow::To24(std::span<const uint8_t> packed, std::span<uint8_t> out) const {
  const ConstDibRows table(line_.Bytes(), rows_.geometry());
  RowTo24(packed, rows_.geometry().bit_count, table, out);
}

}  // namespace quorel
