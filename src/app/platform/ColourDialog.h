// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>

#include "common/Colour.h"

class QWidget;

namespace quorel {

// The 16 custom colours of the colour dialog, shared by both swatches for
// the run.
using CustomColours = std::array<Colour, 16>;

// Test hook: the next colour dialog is answered (none = cancelled) instead of
// shown.
class ColourDialog {
 public:
  static void SetNextAnswer(std::optional<Colour> answer);
  static void ClearNextAnswer();
};

// Runs the colour dialog owned by `owner`, starting from `initial` and the
// custom colours (which keep whatever the user changed). The chosen colour,
// or none when cancelled.
std::optional<Colour> ChooseColour(QWidget* owner, Colour initial, CustomColours& custom);

}  // namespace quorel
