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
    // The panel's cleaned copy, made with the wanted ink of the colour that
    // is output, with whether it found ink, so nothing is cleaned twice.
    // Only an ink set here and not given to the panel leaves the clean-up to
    // the mark.
    const std::optional<InkWanted> photo_ink = photo_inks[static_cast<size_t>(index)];
    if (panel.wanted_ink() == WantedInk(index, inks[static_cast<size_t>(index)], photo_ink)) {
      if (const PackedDib* picture = panel.OutputPicture()) out.picture = picture;
      out.ink_found = panel.ink_found();
    } else {
      if (const PackedDib* picture = panel.picture()) out.picture = picture;
      out.cleanup = panel.cleanup();
      out.wanted_ink = photo_ink;
    }
    out.ink = inks[static_cast<size_t>(index)];
    out.scale = panel.scale();
    out.alt = alts[static_cast<size_t>(index)];
  }
  return request;
}

std::array<std::string, 2> ReadAltTexts(const IniStore& store) {
  return {store.ReadString("Quorel", kAltTextKeys[0]), store.ReadString("Quorel", kAltTextKeys[1])};
}

MarkRequest LoadMarkRequest(const SettingsFolder& folder) {
  const IniStore store(folder.IniPath(), IniReading::kOnce);
  const int32_t option_bits = ReadOptionBits(store);
  const std::array<Colour, 2> inks = ReadInkColours(store);
  MarkRequest request;
  request.align = AlignmentOf(option_bits);
  request.style = ReadOutputStyle(store);
  request.base_url = store.ReadString("Quorel", kBaseUrlKey);
  const std::array<std::string, 2> alts = ReadAltTexts(store);
  for (const PanelIndex index : kPanelIndexes) {
    PanelRequest& panel = request.Panel(index);
    panel.enabled = TakesPart(option_bits, index);
    panel.picture = PictureFile{folder.WorkingBmpPath(static_cast<int>(index)), Arrival::kAsStored};
    panel.ink = inks[static_cast<size_t>(index)];
    panel.scale = ReadScaleSettings(store, index);
    panel.cleanup = ReadCleanupLevel(store, index);
    panel.wanted_ink = ReadPhotoInk(store, index);
    panel.alt = alts[static_cast<size_t>(index)];
  }
  return request;
}

}  // namespace quorel
