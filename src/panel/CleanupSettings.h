// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string_view>

#include "common/Colour.h"
#include "common/Result.h"
#include "image/cleanup/Cleanup.h"
#include "panel/ScaleSettings.h"

namespace quorel {

class IniStore;

// The INI key of a panel's clean-up (section "Quorel"): "clean_type" and,
// for the seal, "clean2_type"; 0 none, 1 trim, 2 photo.
std::string_view CleanupKeyFor(PanelIndex index);

// The stored level; a missing key or any other value means none.
CleanupLevel ReadCleanupLevel(const IniStore& store, PanelIndex index);
Result<void> WriteCleanupLevel(const IniStore& store, PanelIndex index, CleanupLevel level);

// What a panel's photo clean-up keeps: a seal inked in red keeps only the
// red seal (print under it is paper); everything else keeps every ink, and
// the signature panel takes what is no writing (a form's print, a hard
// shadow) out of it. The panel's preview and the output clean by this one
// rule.
InkWanted WantedInk(PanelIndex index, Colour ink);

// The ink a panel keeps because its picture is a photo both panels took their
// marks from: the signature the pen's, the seal the seal's, whatever the
// colour. Stored as "ink_type" / "ink2_type" (section "Quorel"): 1 pen, 2
// seal; a missing key or any other value means none (the colour decides).
std::string_view PhotoInkKeyFor(PanelIndex index);
std::optional<InkWanted> ReadPhotoInk(const IniStore& store, PanelIndex index);
Result<void> WritePhotoInk(const IniStore& store, PanelIndex index, std::optional<InkWanted> ink);
// The ink a panel of a shared photo keeps.
constexpr InkWanted SharedPhotoInk(PanelIndex index) {
  return index == PanelIndex::kSeal ? InkWanted::kSeal : InkWanted::kPen;
}
// The one rule with the photo's ink: it when there is one, else the colour's.
inline InkWanted WantedInk(PanelIndex index, Colour ink, std::optional<InkWanted> photo_ink) {
  return photo_ink ? *photo_ink : WantedInk(index, ink);
}

}  // namespace quorel
