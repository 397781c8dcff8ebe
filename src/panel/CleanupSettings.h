// Quorel — SPDX-License-Identifier: MIT
#pragma once

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
// red seal (print under it is paper); everything else keeps every ink. The
// panel's preview and the output clean by this one rule.
InkWanted WantedInk(PanelIndex index, Colour ink);

}  // namespace quorel
