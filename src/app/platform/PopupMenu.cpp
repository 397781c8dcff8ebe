// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/PopupMenu.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

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

// Tells how the menu ended from the menu's own events. Qt's idea of the held
// buttons is no guide: after a click outside a menu it may still believe the
// button is down when the next menu ends with Esc.
class DismissWatch : public QObject {
 public:
  explicit DismissWatch(QMenu& menu) : menu_(menu) { menu.installEventFilter(this); }
  bool ByClickOutside() const { return by_click_outside_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress) {
      const auto* press = static_cast<QMouseEvent*>(event);
      by_click_outside_ = !menu_.rect().contains(press->position().toPoint());
    } else if (event->type() == QEvent::KeyPress) {
      by_click_outside_ = false;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QMenu& menu_;
  bool by_click_outside_ = false;
};

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
  const DismissWatch watch(menu);
  const QAction* chosen = menu.exec(at);
  PictureMenuOutcome outcome;
  if (chosen == signature) outcome.choice = PictureMenuChoice::kSignature;
  if (chosen == seal) outcome.choice = PictureMenuChoice::kSeal;
  outcome.dismissed_by_click = !chosen && watch.ByClickOutside();
  return outcome;
}

}  // namespace quorel
