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

InkWanted WantedInk(PanelIndex index, Colour ink) {
  const int red = RedOf(ink);
  const bool red_seal = index == PanelIndex::kSeal && red > 2 * GreenOf(ink) && red > 2 * BlueOf(ink);
  return red_seal ? InkWanted::kSeal : InkWanted::kAny;
}

}  // namespace quorel
