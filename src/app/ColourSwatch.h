// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>

#include "common/Colour.h"

namespace quorel {

// A button drawn as a one-pixel black frame filled with its colour.
class ColourSwatch : public QAbstractButton {
  Q_OBJECT

 public:
  explicit ColourSwatch(QWidget* parent = nullptr);

  void SetColour(Colour colour);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Colour colour_ = 0;
};

}  // namespace quorel
