// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/SiblingLink.h"

#include <QCoreApplication>
#include <QLocalSocket>

#include "app/ControlIds.h"

namespace quorel {
namespace {

constexpr qint64 kMaxLineBytes = 64;
constexpr char kRaiseLine[] = "raise";

QString ProgramServerName(qint64 pid) { return QStringLiteral("quorel-%1").arg(pid); }

}  // namespace

SiblingLink::SiblingLink(QString own_name, QString sibling_name, QObject* parent)
    : QObject(parent), own_name_(std::move(own_name)), sibling_name_(std::move(sibling_name)) {
  if (own_name_.isEmpty()) {
    // One link per run in the program; tests make several, each its own name.
    static int links_made = 0;
    own_name_ = ProgramServerName(QCoreApplication::applicationPid());
    if (links_made++ > 0) own_name_ += QStringLiteral("-%1").arg(links_made);
  }
  // A socket file left by a crashed run with our process id would block the name.
  QLocalServer::removeServer(own_name_);
  // Only the user's own programs may notify this one.
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  server_.listen(own_name_);
  connect(&server_, &QLocalServer::newConnection, this, &SiblingLink::Accept);
}

SiblingLink::~SiblingLink() = default;

void SiblingLink::Accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(kMaxLineBytes).trimmed();
        if (line == QByteArray::number(kPicturePushedMessage)) emit PicturePushed();
        if (line == kRaiseLine) emit RaiseRequested();
      }
      // A peer that never ends its line is cut off rather than buffered forever.
      if (socket->bytesAvailable() > kMaxLineBytes) socket->abort();
    });
  }
}

// True when the server was found.
bool SiblingLink::Send(const QString& server, const QByteArray& line) {
  QLocalSocket socket;
  socket.connectToServer(server);
  if (!socket.waitForConnected(kSiblingSendTimeoutMs)) return false;
  // The outcome of the write is not used, as with any answer of the sibling.
  socket.write(line);
  socket.waitForBytesWritten(kSiblingSendTimeoutMs);
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) {
    socket.waitForDisconnected(kSiblingSendTimeoutMs);
  }
  return true;
}

bool SiblingLink::RegisterWithSibling() {
  sibling_found_ = Send(sibling_name_, QByteArray::number(kRegisterMessage) + ' ' + own_name_.toUtf8() + ' ' +
                        QByteArray::number(kPicturePushedMessage) + '\n');
  return sibling_found_;
}

bool SiblingLink::UnregisterFromSibling() {
  if (!sibling_found_) return false;
  return Send(sibling_name_, QByteArray::number(kRegisterMessage) + ' ' + own_name_.toUtf8() + " 0\n");
}

bool SiblingLink::AskToRaise(qint64 pid) {
  return pid > 0 && Send(ProgramServerName(pid), QByteArray(kRaiseLine) + '\n');
}

}  // namespace quorel
