// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

#include "common/Colour.h"
#include "output/OutputStyle.h"
#include "panel/ImagePanel.h"
#include "settings/OptionBits.h"

namespace quorel {

class SettingsFolder;

// Everything an output is made from: which pictures take part and how the
// block is aligned (the option bits), both panels and their ink colours, and
// how each picture is made.
struct OutputState {
  int32_t option_bits = kDefaultOptionBits;
  std::array<ImagePanel, 2> panels;  // signature, seal
  std::array<Colour, 2> inks{kDefaultSignatureColour, kDefaultSealColour};
  OutputStyle style;

  ImagePanel& Panel(PanelIndex index) { return panels[static_cast<size_t>(index)]; }
  const ImagePanel& Panel(PanelIndex index) const { return panels[static_cast<size_t>(index)]; }
};

// The state stored in a settings folder: the option bits and ink colours of
// wq.ini, the output style, each panel's scale settings and working picture (no previews).
OutputState LoadOutputState(const SettingsFolder& folder);

}  // namespace quorel
