// Quorel — SPDX-License-Identifier: MIT
#include <QApplication>

#include "app/Icons.h"
#include "app/Startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quorel"));
  QApplication::setWindowIcon(quorel::IconResource(101));
  // The command line is ignored: the INI file is the only configuration.
  return quorel::RunQuorel();
}
