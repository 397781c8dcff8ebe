// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "app/hint/HintEnvironment.h"

namespace quorel::test {

// A clock, cursor and mouse that the test sets by hand.
class FakeHintEnvironment : public HintEnvironment {
 public:
  uint32_t NowMs() const override { return now_ms; }
  QPoint CursorPos() const override { return cursor; }
  bool MouseButtonDown() const override { return button_down; }
  QWidget* WidgetAt(QPoint) const override { return widget_at; }

  uint32_t now_ms = 0;
  QPoint cursor{-1000, -1000};
  bool button_down = false;
  QWidget* widget_at = nullptr;
};

}  // namespace quorel::test
