// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "GuiTestSupport.h"
#include "app/MainWindow.h"
#include "app/hint/HintController.h"
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

// A main window over its own settings folder that sees the fake environment;
// its hint timer is stopped, so the test ticks by hand.
struct FakeEnvironmentWindow {
  FakeEnvironmentWindow() {
    auto fake = std::make_unique<FakeHintEnvironment>();
    env = fake.get();
    window = std::make_unique<TestWindow>(14, QByteArray(), std::initializer_list<int>{},
                                          std::move(fake));
    window->Hints().Timer().stop();
  }

  FakeHintEnvironment* env = nullptr;
  std::unique_ptr<TestWindow> window;
};

}  // namespace quorel::test
