// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <cstdint>

class QWidget;

namespace quorel {

// What the hint timer looks at on every tick. The program uses the real
// clock, cursor and mouse; tests put a scripted one in its place, so they
// never wait for time to pass.
class HintEnvironment {
 public:
  virtual ~HintEnvironment() = default;
  virtual uint32_t NowMs() const = 0;            // a millisecond tick count (wraps)
  virtual QPoint CursorPos() const = 0;          // screen coordinates
  virtual bool MouseButtonDown() const = 0;      // left or right
  virtual QWidget* WidgetAt(QPoint global) const = 0;
};

class SystemHintEnvironment : public HintEnvironment {
 public:
  SystemHintEnvironment();
  uint32_t NowMs() const override;
  QPoint CursorPos() const override;
  bool MouseButtonDown() const override;
  QWidget* WidgetAt(QPoint global) const override;

 private:
  int64_t start_ms_;
};

}  // namespace quorel
