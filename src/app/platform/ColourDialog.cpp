// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/ColourDialog.h"

#include <QColor>
#include <QColorDialog>

namespace quorel {
namespace {

struct HookState {
  bool answer_set = false;
  std::optional<Colour> answer;
};

HookState& Hooks() {
  static HookState state;
  return state;
}

QColor ToQColor(Colour c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
Colour FromQColor(const QColor& c) {
  return MakeColour(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                    static_cast<uint8_t>(c.blue()));
}

}  // namespace

void ColourDialog::SetNextAnswer(std::optional<Colour> answer) {
  Hooks().answer_set = true;
  Hooks().answer = answer;
}

void ColourDialog::ClearNextAnswer() { Hooks().answer_set = false; }

std::optional<Colour> ChooseColour(QWidget* owner, Colour initial, CustomColours& custom) {
  if (Hooks().answer_set) {
    Hooks().answer_set = false;
    return Hooks().answer;
  }
  // QColorDialog keeps its custom colours program-wide; load ours before and
  // take them back after, so both swatches share one set.
  for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, ToQColor(custom[i]));
  QColorDialog dialog(ToQColor(initial), owner);
  const bool confirmed = dialog.exec() == QDialog::Accepted;
  for (int i = 0; i < 16; ++i) custom[i] = FromQColor(QColorDialog::customColor(i));
  if (!confirmed) return std::nullopt;
  return FromQColor(dialog.selectedColor());
}

}  // namespace quorel
