// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/PopupMenu.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>

namespace quorel {
namespace {

struct HookState {
  std::optional<PictureMenuOutcome> next;
  int shown = 0;
};

HookState& Hooks() {
  static HookState state;
  return state;
}

}  // namespace

void PictureMenu::SetNextOutcome(std::optional<PictureMenuOutcome> outcome) {
  Hooks().next = outcome;
}

int PictureMenu::TimesShown() { return Hooks().shown; }

PictureMenuOutcome RunPictureMenu(QWidget* owner, QPoint at) {
  ++Hooks().shown;
  if (auto answer = std::exchange(Hooks().next, std::nullopt)) return *answer;
  QMenu menu(owner);
  QAction* signature = menu.addAction(QStringLiteral("Quorel画像として取り込む"));
  QAction* seal = menu.addAction(QStringLiteral("印影画像として取り込む"));
  menu.addAction(QStringLiteral("メニューを閉じる"));
  const QAction* chosen = menu.exec(at);
  PictureMenuOutcome outcome;
  if (chosen == signature) outcome.choice = PictureMenuChoice::kSignature;
  if (chosen == seal) outcome.choice = PictureMenuChoice::kSeal;
  outcome.mouse_button_down =
      (QGuiApplication::mouseButtons() & (Qt::LeftButton | Qt::RightButton)) != 0;
  return outcome;
}

}  // namespace quorel
