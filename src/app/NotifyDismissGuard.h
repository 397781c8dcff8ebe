// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace quorel {

// Drops a sibling notification that arrives less than a second after the
// picture menu was dismissed with a mouse button held (a click outside the
// menu), so that click does not bring the menu straight back. Every
// notification disarms it, dropped or not.
class NotifyDismissGuard {
 public:
  static constexpr uint32_t kWindowMs = 1000;

  void Arm(uint32_t now_ms) {
    armed_ = true;
    armed_at_ms_ = now_ms;
  }
  // True when this notification is to be ignored.
  bool Drop(uint32_t now_ms) {
    if (!armed_) return false;
    armed_ = false;
    return now_ms - armed_at_ms_ < kWindowMs;  // unsigned: right across the wrap
  }
  bool Armed() const { return armed_; }

 private:
  bool armed_ = false;
  uint32_t armed_at_ms_ = 0;
};

}  // namespace quorel
