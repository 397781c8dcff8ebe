// Quorel — SPDX-License-Identifier: MIT
#include "output/OutputState.h"

#include "panel/CleanupSettings.h"
#include "settings/IniStore.h"
#include "settings/InkColours.h"
#include "settings/SettingsFolder.h"

namespace quorel {
namespace {

bool TakesPart(int32_t option_bits, PanelIndex index) {
  return option_bits & (index == PanelIndex::kSignature ? option_bit::kSignature : option_bit::kSeal);
}

}  // namespace

MarkRequest OutputState::Request() const {
  MarkRequest request;
  request.align = AlignmentOf(option_bits);
  request.style = style;
  for (const PanelIndex index : kPanelIndexes) {
    const ImagePanel& panel = Panel(index);
    PanelRequest& out = request.Panel(index);
    out.enabled = TakesPart(option_bits, index);
    // The picture as applied, cleaned again by the mark: the panel's own
    // cleaned copy is for its preview, and the mark must know when a
    // clean-up found no ink (the output is then transparent).
    if (const PackedDib* picture = panel.picture()) out.picture = picture;
    out.cleanup = panel.cleanup();
    out.ink = inks[static_cast<size_t>(index)];
    out.scale = panel.scale();
    out.alt = alts[static_cast<size_t>(index)];
  }
  return request;
}

MarkRequest LoadMarkRequest(const SettingsFolder& folder) {
  const IniStore store(folder.IniPath(), IniReading::kOnce);
  const int32_t option_bits = ReadOptionBits(store);
  const std::array<Colour, 2> inks = ReadInkColours(store);
  MarkRequest request;
  request.align = AlignmentOf(option_bits);
  request.style = ReadOutputStyle(store);
  for (const PanelIndex index : kPanelIndexes) {
    PanelRequest& panel = request.Panel(index);
    panel.enabled = TakesPart(option_bits, index);
    panel.picture = PictureFile{folder.WorkingBmpPath(static_cast<int>(index)), Arrival::kAsStored};
    panel.ink = inks[static_cast<size_t>(index)];
    panel.scale = ReadScaleSettings(store, index);
    panel.cleanup = ReadCleanupLevel(store, index);
    panel.alt = store.ReadString("Quorel", kAltTextKeys[static_cast<size_t>(index)]);
  }
  return request;
}

}  // namespace quorel
