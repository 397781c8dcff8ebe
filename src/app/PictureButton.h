// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>
#include <QImage>

#include "image/PackedDib.h"

class QMimeData;

namespace quorel {

// A 24-bit picture with its rows right after the header (the panels'
// previews) as a QImage; a null image when the block does not hold one.
QImage ImageOfPreview(const PackedDib& preview);

// The button that shows a panel's preview one to one. While it is held down
// nothing is redrawn: it keeps showing what it showed before the press. It
// takes drops of picture files and picture data, always as a copy, and
// refuses anything else.
class PictureButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit PictureButton(QWidget* parent = nullptr);

  // The preview to show from now on (none: nothing is drawn); repaints.
  // `ratio`: the preview's device pixels per button pixel.
  void SetPreview(const PackedDib* preview, double ratio = 1.0);

 signals:
  void PictureDropped(const QMimeData& data);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  const PackedDib* preview_ = nullptr;
  double ratio_ = 1.0;
  QImage shown_;  // what the last drawing showed
};

}  // namespace quorel
