// Quorel — SPDX-License-Identifier: MIT
#include "app/PictureButton.h"

#include <QDropEvent>
#include <QPainter>

#include "app/FocusMark.h"
#include "app/platform/Clipboard.h"
#include "image/DibLayout.h"

namespace quorel {

QImage ImageOfPreview(const PackedDib& preview) {
  if (preview.BitCount() != 24) return QImage();
  const auto rows = ConstDibRows::Of(preview);
  if (!rows) return QImage();
  QImage image(rows->width(), rows->height(), QImage::Format_RGB888);
  if (image.isNull()) return image;
  for (int32_t y = 0; y < rows->height(); ++y) {
    const std::span<const uint8_t> row = rows->TopDownRow(y);
    uchar* line = image.scanLine(y);
    for (int32_t x = 0; x < rows->width(); ++x) {
      line[x * 3 + 0] = row[x * 3 + 2];  // red
      line[x * 3 + 1] = row[x * 3 + 1];  // green
      line[x * 3 + 2] = row[x * 3 + 0];  // blue
    }
  }
  return image;
}

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::TabFocus);
  setAcceptDrops(true);
}

void PictureButton::SetPreview(const PackedDib* preview, double ratio) {
  preview_ = preview;
  ratio_ = ratio;
  update();
}

void PictureButton::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  if (!isDown()) {
    shown_ = preview_ ? ImageOfPreview(*preview_) : QImage();
    shown_.setDevicePixelRatio(ratio_);  // drawn at the button's size, with the screen's detail
  }
  if (!shown_.isNull()) painter.drawImage(0, 0, shown_);
  DrawFocusMark(painter, *this);
}

namespace {

// Drops are taken as copies only: a source that honours Move would delete
// the user's original file after the drop. Refused data shows no drop cursor.
bool AcceptAsCopy(QDropEvent& event) {
  if (!(event.possibleActions() & Qt::CopyAction) || !OffersPicture(*event.mimeData())) {
    event.ignore();
    return false;
  }
  event.setDropAction(Qt::CopyAction);
  event.accept();
  return true;
}

}  // namespace

void PictureButton::dragEnterEvent(QDragEnterEvent* event) { (void)AcceptAsCopy(*event); }

void PictureButton::dragMoveEvent(QDragMoveEvent* event) { (void)AcceptAsCopy(*event); }

void PictureButton::dropEvent(QDropEvent* event) {
  if (AcceptAsCopy(*event)) emit PictureDropped(*event->mimeData());
}

}  // namespace quorel
