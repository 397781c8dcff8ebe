// Quorel — SPDX-License-Identifier: MIT
// Opens the main window over a given settings folder, rests the cursor on the
// copy button until its hint shows, and saves the window with the hint as a
// PNG. Used by scripts/screenshot.sh under Xvfb; not a test.
#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <cstdio>

#include "app/ControlIds.h"
#include "app/MainWindow.h"
#include "app/hint/HintController.h"
#include "app/hint/HintWindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: quorel-screenshot SETTINGS_FOLDER OUT.png\n");
    return 2;
  }
  using namespace quorel;
  MainWindow window(SettingsFolder(QFile::encodeName(QString::fromLocal8Bit(argv[1])).toStdString()),
                    14);
  window.move(40, 40);
  window.show();
  QWidget* copy = window.Control(control::kCopy);
  QCursor::setPos(copy->mapToGlobal(copy->rect().center()));

  // Let the hint timer see the cursor rest; show the hint directly if the
  // display reports no cursor.
  QElapsedTimer waited;
  waited.start();
  while (window.Hints().CurrentEntry() < 0 && waited.elapsed() < 4000) {
    app.processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(20);
  }
  if (window.Hints().CurrentEntry() < 0) window.Hints().ShowHint(6);
  for (int i = 0; i < 20; ++i) {
    app.processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  }

  QRect area = window.frameGeometry();
  if (const HintWindow* hint = window.Hints().Window()) area = area.united(hint->geometry());
  area.adjust(-8, -8, 8, 8);
  const QPixmap shot = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  if (!shot.save(QString::fromLocal8Bit(argv[2]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
