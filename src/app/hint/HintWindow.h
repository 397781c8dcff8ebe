// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

#include "app/hint/HintLayout.h"

namespace quorel {

// The hint itself: a frameless, non-activating, topmost popup that draws its
// lines in a framed pale-yellow box.
class HintWindow : public QWidget {
  Q_OBJECT

 public:
  HintWindow(HintLines lines, const ToolHintInfo& info, QWidget* owner);

  const HintLines& Lines() const { return lines_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  HintLines lines_;
  ToolHintInfo info_;
};

}  // namespace quorel
