// Quorel — SPDX-License-Identifier: MIT
#include "panel/CleanupSettings.h"

#include "settings/IniStore.h"

namespace quorel {

std::string_view CleanupKeyFor(PanelIndex index) {
  return index == PanelIndex::kSeal ? "clean2_type" : "clean_type";
}

CleanupLevel ReadCleanupLevel(const IniStore& store, PanelIndex index) {
  const int32_t value = store.ReadInt(CleanupKeyFor(index), 0);
  switch (value) {
    case static_cast<int32_t>(CleanupLevel::kTrim): return CleanupLevel::kTrim;
    case static_cast<int32_t>(CleanupLevel::kPhoto): return CleanupLevel::kPhoto;
    default: return CleanupLevel::kNone;
  }
}

Result<void> WriteCleanupLevel(const IniStore& store, PanelIndex index, CleanupLevel level) {
  return store.WriteInt(CleanupKeyFor(index), static_cast<int32_t>(level));
}

}  // namespace quorel
