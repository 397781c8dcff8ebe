// Quorel — SPDX-License-Identifier: MIT
// The test sibling as a program, for trying the link by hand: it listens
// under the sibling's name, prints every line it receives, and sends the
// "a picture waits" notification to the last registered program each time
// Enter is pressed. Put a BMP file at "$image.bmp" in the settings folder first.
#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

#include "TestSibling.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  quorel::test::TestSibling sibling;
  if (!sibling.Listening()) {
    std::fprintf(stderr, "cannot listen as \"Wq Touroku Kurasu\"\n");
    return 1;
  }
  std::printf("listening as \"Wq Touroku Kurasu\"; Enter sends 1098, Ctrl-D ends\n");
  std::fflush(stdout);
  QObject::connect(&sibling, &quorel::test::TestSibling::LineReceived, [](const QByteArray& line) {
    std::printf("received: %s\n", line.constData());
    std::fflush(stdout);
  });
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    std::string line;
    if (!std::getline(std::cin, line)) {
      QCoreApplication::quit();
      return;
    }
    const QString target = sibling.RegisteredName();
    if (target.isEmpty()) {
      std::printf("nobody registered yet\n");
    } else {
      std::printf("1098 to %s: %s\n", qPrintable(target),
                  quorel::test::TestSibling::Notify(target) ? "sent" : "failed");
    }
    std::fflush(stdout);
  });
  return app.exec();
}
