// Quorel — SPDX-License-Identifier: MIT
#include "output/OutputState.h"

#include "settings/IniStore.h"
#include "settings/InkColours.h"
#include "settings/SettingsFolder.h"

namespace quorel {

OutputState LoadOutputState(const SettingsFolder& folder) {
  const IniStore store(folder.IniPath());
  OutputState state;
  state.option_bits = ReadOptionBits(store);
  state.inks = ReadInkColours(store);
  state.style = ReadOutputStyle(store);
  for (const PanelIndex index : {PanelIndex::kSignature, PanelIndex::kSeal}) {
    LoadPanelState(state.Panel(index), index, folder, store);
  }
  return state;
}

}  // namespace quorel
