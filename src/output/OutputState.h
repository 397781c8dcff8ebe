// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/Colour.h"
#include "output/MarkRequest.h"
#include "output/OutputStyle.h"
#include "panel/ImagePanel.h"
#include "settings/OptionBits.h"

namespace quorel {

class IniStore;
class SettingsFolder;

// What a window's outputs are made from: which pictures take part and how
// the block is aligned (the option bits), both panels and their ink colours,
// and how each picture is made.
struct OutputState {
  int32_t option_bits = kDefaultOptionBits;
  std::array<ImagePanel, 2> panels{ImagePanel(PanelIndex::kSignature), ImagePanel(PanelIndex::kSeal)};
  std::array<Colour, 2> inks{kDefaultSignatureColour, kDefaultSealColour};
  // The ink a panel keeps whatever its colour, when both panels took one
  // photo (ReadPhotoInk); none: the colour decides.
  std::array<std::optional<InkWanted>, 2> photo_inks{};
  std::array<std::string, 2> alts;  // alt texts (kAltTextKeys), UTF-8
  OutputStyle style;

  ImagePanel& Panel(PanelIndex index) { return panels[static_cast<size_t>(index)]; }
  const ImagePanel& Panel(PanelIndex index) const { return panels[static_cast<size_t>(index)]; }

  // Each panel's picture with its clean-up level and scale; valid while the
  // panels keep their pictures.
  MarkRequest Request() const;
};

// Keys of section "Quorel" in wq.ini: the signature's and the seal's alt text
// (UTF-8; missing or empty: no alt attribute).
inline constexpr std::array<std::string_view, 2> kAltTextKeys{"AltText", "AltText2"};
// Key of section "Quorel": the http(s) URL exported pictures are uploaded to.
inline constexpr std::string_view kBaseUrlKey = "BaseUrl";

// The stored alt texts, signature first.
std::array<std::string, 2> ReadAltTexts(const IniStore& store);

// The request the stored state of a settings folder makes: the option bits,
// ink colours and output style of wq.ini, and each panel's working file (read
// only when the panel takes part, as stored) with its scale, clean-up level,
// shared photo's ink (ReadPhotoInk) and alt text, and the base URL.
MarkRequest LoadMarkRequest(const SettingsFolder& folder);

}  // namespace quorel
