// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <optional>

class QWidget;

namespace quorel {

// The menu offered when the sibling has pushed a picture.
enum class PictureMenuChoice { kClose = 0, kSignature = 1, kSeal = 2 };

struct PictureMenuOutcome {
  PictureMenuChoice choice = PictureMenuChoice::kClose;
  bool dismissed_by_click = false;  // ended by a click outside the menu
};

// Shows "Quorel画像として取り込む", "印影画像として取り込む" and
// "メニューを閉じる" at `at` and returns what ended it. A test answers the
// next menu instead.
PictureMenuOutcome RunPictureMenu(QWidget* owner, QPoint at);

class PictureMenu {
 public:
  static void SetNextOutcome(std::optional<PictureMenuOutcome> outcome);
  static int TimesShown();
};

}  // namespace quorel
