// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace quorel {

inline constexpr const char* kSiblingServerName = "Wq Touroku Kurasu";
inline constexpr int kSiblingSendTimeoutMs = 5000;

// The link to the sibling program over local sockets. The program listens on
// a server of its own for the whole run (its name stands for the main
// window). Registration writes "1103 <own name> 1098\n" to the sibling's
// server, withdrawal "1103 <own name> 0\n"; each send gives up after 5000 ms
// and no sibling means nothing is sent. A connection to the own server that
// sends the line "1098\n" is the notification that a picture waits; the line
// "raise\n" (from a second start of the program) asks to bring the window
// forward.
class SiblingLink : public QObject {
  Q_OBJECT

 public:
  // `own_name` empty: named from the program and its process id.
  explicit SiblingLink(QString own_name = QString(),
                       QString sibling_name = QString::fromLatin1(kSiblingServerName),
                       QObject* parent = nullptr);
  ~SiblingLink() override;

  const QString& OwnName() const { return own_name_; }

  // True when a sibling was found and the line was written.
  bool RegisterWithSibling();
  // Only when registration found a sibling; it is not searched for again.
  bool UnregisterFromSibling();

  // Asks the running program with process id `pid` to bring its window
  // forward (a second start); true when the request was delivered.
  static bool AskToRaise(qint64 pid);

 signals:
  void PicturePushed();
  void RaiseRequested();

 private:
  void Accept();
  static bool Send(const QString& server, const QByteArray& line);

  QString own_name_;
  QString sibling_name_;
  QLocalServer server_;
  bool sibling_found_ = false;
};

}  // namespace quorel
