// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>
#include <QImage>

#include "image/PackedDib.h"

namespace quorel {

// A 24-bit picture with its rows right after the header (the panels'
// previews) as a QImage; a null image when the block does not hold one.
QImage ImageOfPreview(const PackedDib& preview);

// The button that shows a panel's preview one to one. While it is held down
// nothing is redrawn: it keeps showing what it showed before the press.
class PictureButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit PictureButton(QWidget* parent = nullptr);

  // The preview to show from now on (none: nothing is drawn); repaints.
  void SetPreview(const PackedDib* preview);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const PackedDib* preview_ = nullptr;
  QImage shown_;  // what the last drawing showed
};

}  // namespace quorel
