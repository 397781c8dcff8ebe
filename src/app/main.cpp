// Quorel — SPDX-License-Identifier: MIT
#include <QApplication>

#include "app/Icons.h"
#include "app/Startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quorel"));
  QApplication::setWindowIcon(quorel::IconResource(101));
  // The run ends with the main window, not with whichever window closes last
  // (an ownerless scale dialog closing while the main window is minimised).
  QApplication::setQuitOnLastWindowClosed(false);
  // The command line is ignored: the INI file is the only configuration.
  return quorel::RunQuorel();
}
