// Quorel — SPDX-License-Identifier: MIT
#include <QApplication>

#include "app/Icons.h"
#include "app/Startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quorel"));
  QApplication::setWindowIcon(quorel::IconOf(quorel::Icon::kWindow));
  // The run ends with the main window, not with whichever window closes last
  // (an ownerless scale dialog closing while the main window is minimised).
  QApplication::setQuitOnLastWindowClosed(false);
  quorel::LoadQtTranslation(app);  // without it Qt's own dialogs speak English
  // The command line is ignored: the INI file is the only configuration.
  return quorel::RunQuorel();
}
