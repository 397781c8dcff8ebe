// Quorel — SPDX-License-Identifier: MIT
#include "TestSibling.h"

#include <QLocalSocket>

namespace quorel::test {

TestSibling::TestSibling(const QString& name) {
  QLocalServer::removeServer(name);
  server_.listen(name);
  connect(&server_, &QLocalServer::newConnection, this, &TestSibling::Accept);
}

TestSibling::~TestSibling() = default;

void TestSibling::Accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    socket->setParent(this);
    auto read_lines = [this, socket] {
      while (socket->canReadLine()) {
        lines_.push_back(socket->readLine().chopped(1));
        emit LineReceived(lines_.back());
      }
    };
    connect(socket, &QLocalSocket::readyRead, this, read_lines);
    connect(socket, &QLocalSocket::disconnected, this, read_lines);
    read_lines();
  }
}

QString TestSibling::RegisteredName() const {
  for (auto line = lines_.rbegin(); line != lines_.rend(); ++line) {
    const QList<QByteArray> words = line->split(' ');
    if (words.size() == 3 && words[0] == "1103" && words[2] == "1098") {
      return QString::fromUtf8(words[1]);
    }
  }
  return QString();
}

bool TestSibling::Notify(const QString& program_server) {
  QLocalSocket socket;
  socket.connectToServer(program_server);
  if (!socket.waitForConnected(5000)) return false;
  socket.write("1098\n");
  const bool written = socket.waitForBytesWritten(5000);
  socket.disconnectFromServer();
  return written;
}

}  // namespace quorel::test
