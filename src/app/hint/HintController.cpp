// Quorel — SPDX-License-Identifier: MIT
#include "app/hint/HintController.h"

#include <QApplication>
#include <QFontMetrics>
#include <QWidget>
#include <cstdlib>

#include "app/hint/HintLayout.h"
#include "app/hint/HintWindow.h"
#include "app/platform/Placement.h"

namespace quorel {
namespace {

constexpr int kTickMs = 100;
constexpr int kRestTolerance = 2;  // pixels either way

// Another window of the program is shown (a dialog, a message box, a menu):
// a hint would float over it.
bool OtherWindowShown(const QWidget* main_window, const QWidget* hint) {
  for (const QWidget* window : QApplication::topLevelWidgets()) {
    if (window != main_window && window != hint && window->isVisible() &&
        !window->isMinimized()) {
      return true;
    }
  }
  return false;
}

}  // namespace

HintController::HintController(std::unique_ptr<HintEnvironment> environment, QObject* parent)
    : QObject(parent), environment_(std::move(environment)) {
  if (!environment_) environment_ = std::make_unique<SystemHintEnvironment>();
  for (size_t i = 0; i < kHintTable.size(); ++i) {
    entries_[i].control_id = kHintTable[i].control_id;
    entries_[i].text = QString::fromUtf8(kHintTable[i].text.data(),
                                         static_cast<qsizetype>(kHintTable[i].text.size()));
  }
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &HintController::HintTimerTick);
}

HintController::~HintController() = default;

void HintController::RecordHintRects(QWidget& main_window,
                                     const std::function<QWidget*(int)>& control_of) {
  for (HintEntry& entry : entries_) {
    entry.control = control_of(entry.control_id);
    if (!entry.control) continue;
    const QPoint top_left = main_window.mapFromGlobal(entry.control->mapToGlobal(QPoint(0, 0)));
    entry.rect = QRect(top_left, entry.control->size());
  }
}

void HintController::StartHints(QWidget& main_window) {
  CloseWindow();
  current_ = -1;
  main_window_ = &main_window;
  last_move_ms_ = environment_->NowMs();
  last_rest_ = main_window.mapFromGlobal(environment_->CursorPos());
  start_pos_ = last_rest_;
  mouse_moved_ = false;
  if (!timer_.isActive()) timer_.start();
  hints_enabled_ = true;
}

void HintController::CloseWindow() {
  window_.reset();
  anchor_ = QRect();
}

void HintController::HideHint() {
  CloseWindow();
  current_ = -1;
}

void HintController::HintTimerTick() {
  if (!main_window_) return;
  const uint32_t now = environment_->NowMs();
  if (!hints_enabled_ || environment_->MouseButtonDown() || OtherWindowShown(main_window_, window_.get())) {
    if (current_ >= 0) HideHint();
    last_move_ms_ = now;
    return;
  }
  const QPoint pos = main_window_->mapFromGlobal(environment_->CursorPos());
  // The window opens under the cursor: no hint until the user moves the mouse.
  mouse_moved_ = mouse_moved_ || (pos - start_pos_).manhattanLength() > kRestTolerance;
  if (!mouse_moved_) {
    last_move_ms_ = now;
    return;
  }
  if (current_ < 0) {
    const bool rests = pos.x() >= 0 && pos.y() >= 0 &&
                       std::abs(pos.x() - last_rest_.x()) <= kRestTolerance &&
                       std::abs(pos.y() - last_rest_.y()) <= kRestTolerance;
    if (!rests) {
      last_move_ms_ = now;
      last_rest_ = pos;
      return;
    }
    // Unsigned difference: correct across the tick count's wrap.
    if (now - last_move_ms_ < info_.delay_ms) return;
  } else {
    if (entries_[static_cast<size_t>(current_)].rect.contains(pos)) return;
    HideHint();
  }
  // Hit test: the first entry whose rectangle holds the cursor, if nothing
  // else covers its control there.
  for (size_t i = 0; i < entries_.size(); ++i) {
    const HintEntry& entry = entries_[i];
    if (!entry.control || !entry.rect.contains(pos)) continue;
    QWidget* under = environment_->WidgetAt(environment_->CursorPos());
    if (under && (under == entry.control || under == main_window_ ||
                  entry.control->isAncestorOf(under))) {
      current_ = static_cast<int>(i);
      ShowHint(current_);
      return;
    }
    break;
  }
  last_move_ms_ = now;
  last_rest_ = pos;
}

void HintController::ShowHint(int index) {
  if (building_ || index < 0 || index >= static_cast<int>(entries_.size()) || !main_window_) return;
  building_ = true;
  const HintEntry& entry = entries_[static_cast<size_t>(index)];
  if (window_) {
    if (entry.rect == anchor_) {
      building_ = false;
      return;
    }
    CloseWindow();
  }
  anchor_ = entry.rect;
  HintLines lines = MeasureHint(entry.text, QFontMetrics(HintFont(info_)), info_.max_lines);
  if (lines.Empty()) {
    building_ = false;
    return;
  }
  const QSize size = lines.WindowSize(info_.margin);
  const QRect control(main_window_->mapToGlobal(entry.rect.topLeft()), entry.rect.size());
  const QRect monitor = MonitorRectOf(main_window_->frameGeometry());
  // NOTE: no Qt parent: the controller alone owns the hint window.
  window_ = std::make_unique<HintWindow>(std::move(lines), info_, nullptr);
  window_->move(PlaceHint(control, size, monitor, info_.gap));
  window_->show();
  building_ = false;
}

}  // namespace quorel
