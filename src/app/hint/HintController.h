// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "app/hint/HintEnvironment.h"
#include "app/hint/HintTable.h"

class QWidget;

namespace quorel {

class HintWindow;

// One row of the hint table with the control it was recorded for.
struct HintEntry {
  int control_id = 0;
  QString text;
  QWidget* control = nullptr;
  QRect rect;  // in the main window's coordinates
};

// The main window's hints: a 100 ms timer watches the cursor; after 1.2 s of
// rest (within ±2 pixels) on a control of the table, its hint is shown below
// (or above) the control. Moving onto another control while a hint shows
// replaces it at once; a pressed mouse button hides it and restarts the wait.
// No hint shows before the mouse has first moved, nor while another window of
// the program (a dialog, a message box, a menu) is shown.
class HintController : public QObject {
  Q_OBJECT

 public:
  explicit HintController(std::unique_ptr<HintEnvironment> environment = nullptr,
                          QObject* parent = nullptr);
  ~HintController() override;

  // Records each entry's control and rectangle in the main window.
  void RecordHintRects(QWidget& main_window, const std::function<QWidget*(int)>& control_of);
  // Starts watching (the timer is made once and never stopped).
  void StartHints(QWidget& main_window);
  void HideHint();
  void ShowHint(int entry);
  void HintTimerTick();

  // Cleared while the scale or settings dialog is open.
  void SetHintsEnabled(bool enabled) { hints_enabled_ = enabled; }
  bool HintsEnabled() const { return hints_enabled_; }

  int CurrentEntry() const { return current_; }
  const HintWindow* Window() const { return window_.get(); }
  const std::array<HintEntry, std::tuple_size_v<decltype(kHintTable)>>& Entries() const { return entries_; }
  const HintEnvironment& Environment() const { return *environment_; }
  // The timer's ticks; tests drive HintTimerTick themselves and stop it.
  QTimer& Timer() { return timer_; }

 private:
  void CloseWindow();

  std::unique_ptr<HintEnvironment> environment_;
  ToolHintInfo info_;
  std::array<HintEntry, std::tuple_size_v<decltype(kHintTable)>> entries_;
  QWidget* main_window_ = nullptr;
  QTimer timer_;
  bool hints_enabled_ = true;
  int current_ = -1;
  QPoint last_rest_;          // main window coordinates
  QPoint start_pos_;          // the cursor when the hints started
  bool mouse_moved_ = false;
  uint32_t last_move_ms_ = 0;
  QRect anchor_;              // the rectangle of the hint shown; empty when none
  std::unique_ptr<HintWindow> window_;
  bool building_ = false;
};

}  // namespace quorel
