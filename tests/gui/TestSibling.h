// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <vector>

namespace quorel::test {

// A stand-in for the sibling program: it listens under the sibling's name,
// records every line a program writes to it (registrations and withdrawals),
// and sends the "a picture waits" notification to a registered program.
class TestSibling : public QObject {
  Q_OBJECT

 public:
  explicit TestSibling(const QString& name = QStringLiteral("Wq Touroku Kurasu"));
  ~TestSibling() override;

  bool Listening() const { return server_.isListening(); }
  // Every complete line received so far, without its line feed.
  const std::vector<QByteArray>& Lines() const { return lines_; }
  // The program's server name from the last registration line, or empty.
  QString RegisteredName() const;

  // Writes "1098\n" to the program's server; true when it was delivered.
  static bool Notify(const QString& program_server);

 signals:
  void LineReceived(const QByteArray& line);

 private:
  void Accept();

  QLocalServer server_;
  std::vector<QByteArray> lines_;
};

}  // namespace quorel::test
