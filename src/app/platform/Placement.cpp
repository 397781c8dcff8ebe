// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/Placement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace quorel {
namespace {

int RightOf(const QRect& r) { return r.x() + r.width(); }
int BottomOf(const QRect& r) { return r.y() + r.height(); }

QRect PrimaryRect() {
  const QScreen* primary = QGuiApplication::primaryScreen();
  return primary ? primary->geometry() : QRect();
}

}  // namespace

QPoint CentreOnCursor(QSize size, QPoint cursor, const QRect& monitor) {
  const int w = size.width();
  const int h = size.height();
  int x = cursor.x() - w / 2;
  if (x + w > RightOf(monitor)) x = RightOf(monitor) - w;
  if (x < monitor.x()) x = monitor.x();
  int y = cursor.y() - h / 2;
  if (y < monitor.y()) y = monitor.y();
  if (y + h > BottomOf(monitor)) y = BottomOf(monitor) - h;
  return QPoint(x, y);
}

QPoint FitIntoMonitor(QPoint top_left, QSize size, const QRect& monitor) {
  int x = top_left.x();
  int y = top_left.y();
  if (x + size.width() > RightOf(monitor)) x = RightOf(monitor) - size.width();
  if (x < monitor.x()) x = monitor.x();
  if (y + size.height() > BottomOf(monitor)) y = BottomOf(monitor) - size.height();
  if (y < monitor.y()) y = monitor.y();
  return QPoint(x, y);
}

QRect MonitorRectOf(const QRect& rect) {
  QRect best;
  qint64 best_area = 0;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect overlap = screen->geometry().intersected(rect);
    const qint64 area = qint64{overlap.width()} * overlap.height();
    if (!overlap.isEmpty() && area > best_area) {
      best_area = area;
      best = screen->geometry();
    }
  }
  return best_area > 0 ? best : PrimaryRect();
}

void PlaceAtCursor(QWidget& window) {
  const QPoint cursor = QCursor::pos();
  const QScreen* screen = QGuiApplication::screenAt(cursor);
  const QRect monitor = screen ? screen->geometry() : PrimaryRect();
  window.move(CentreOnCursor(window.frameGeometry().size(), cursor, monitor));
}

void FitToScreen(QWidget& dialog) {
  const QScreen* screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const int margin = 2 * dialog.style()->pixelMetric(QStyle::PM_TitleBarHeight);
  const QSize fitted = dialog.size().boundedTo(area.size() - QSize(margin, margin));
  if (fitted != dialog.size()) dialog.resize(fitted);
  dialog.move(FitIntoMonitor(dialog.pos(), dialog.frameGeometry().size(), area));
}

}  // namespace quorel
