// Quorel — SPDX-License-Identifier: MIT
#include "app/hint/HintEnvironment.h"

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QWidget>

namespace quorel {

SystemHintEnvironment::SystemHintEnvironment()
    : start_ms_(QDateTime::currentMSecsSinceEpoch()) {}

uint32_t SystemHintEnvironment::NowMs() const {
  return static_cast<uint32_t>(QDateTime::currentMSecsSinceEpoch() - start_ms_);
}

QPoint SystemHintEnvironment::CursorPos() const { return QCursor::pos(); }

bool SystemHintEnvironment::MouseButtonDown() const {
  return (QGuiApplication::mouseButtons() & (Qt::LeftButton | Qt::RightButton)) != 0;
}

QWidget* SystemHintEnvironment::WidgetAt(QPoint global) const {
  return QApplication::widgetAt(global);
}

}  // namespace quorel
