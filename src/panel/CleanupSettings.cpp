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
  if (red_seal) return InkWanted::kSeal;
  return index == PanelIndex::kSignature ? InkWanted::kWriting : InkWanted::kAny;
}

std::string_view PhotoInkKeyFor(PanelIndex index) {
  return index == PanelIndex::kSeal ? "ink2_type" : "ink_type";
}

std::optional<InkWanted> ReadPhotoInk(const IniStore& store, PanelIndex index) {
  switch (store.ReadInt(PhotoInkKeyFor(index), 0)) {
    case 1: return InkWanted::kPen;
    case 2: return InkWanted::kSeal;
    default: return std::nullopt;
  }
}

Result<void> WritePhotoInk(const IniStore& store, PanelIndex index, std::optional<InkWanted> ink) {
  const int32_t value = !ink ? 0 : *ink == InkWanted::kPen ? 1 : *ink == InkWanted::kSeal ? 2 : 0;
  return store.WriteInt(PhotoInkKeyFor(index), value);
}

}  // namespace quorel
