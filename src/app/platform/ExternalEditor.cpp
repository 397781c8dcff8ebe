// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/ExternalEditor.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>

namespace quorel {
namespace {

constexpr int kPollMs = 100;

// Started detached, the editor outlives a program that quits while it runs.
// While the program is the children's subreaper the editor is re-parented to
// it, so the program can reap it and learn when it ends. Only for the start:
// orphans of anything else the program starts (the browser opener) must not
// become its zombies.
class SubreaperScope {
 public:
  SubreaperScope() { ::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0); }
  ~SubreaperScope() { ::prctl(PR_SET_CHILD_SUBREAPER, 0, 0, 0, 0); }
  SubreaperScope(const SubreaperScope&) = delete;
  SubreaperScope& operator=(const SubreaperScope&) = delete;
};

bool ProcessEnded(pid_t pid) {
  int status = 0;
  const pid_t reaped = ::waitpid(pid, &status, WNOHANG);
  if (reaped == pid) return true;
  if (reaped == 0) return false;
  // Not our child after all (no subreaper): ask whether it still exists.
  return errno == ECHILD && ::kill(pid, 0) != 0 && errno == ESRCH;
}

}  // namespace

std::optional<FileStamp> StampOf(const std::filesystem::path& path) {
  std::error_code error;
  const auto modified = std::filesystem::last_write_time(path, error);
  if (error) return std::nullopt;
  const uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return std::nullopt;
  return FileStamp{
      std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()).count(),
      static_cast<uint64_t>(size)};
}

bool PumpPendingMessages(int max_wait_ms, QDialog* main_window) {
  QEventLoop loop;
  bool waited_out = false;
  QTimer tick;
  tick.setSingleShot(true);
  QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
    waited_out = true;
    loop.quit();
  });
  if (main_window) {
    QObject::connect(main_window, &QDialog::finished, &loop, &QEventLoop::quit);
    QObject::connect(main_window, &QObject::destroyed, &loop, &QEventLoop::quit);
  }
  tick.start(max_wait_ms);
  // Returns at once, without the tick, once the application has been told to quit.
  loop.exec();
  return !waited_out;
}

EditorOutcome RunEditor(const QString& editor, const std::filesystem::path& file,
                        QDialog* main_window) {
  const std::optional<FileStamp> before = StampOf(file);
  if (editor.isEmpty()) return EditorOutcome::kNotStarted;
  qint64 pid = 0;
  {
    const SubreaperScope adopt_the_editor;
    if (!QProcess::startDetached(editor, {QFile::decodeName(file.c_str())}, QString(), &pid) ||
        pid <= 0) {
      return EditorOutcome::kNotStarted;
    }
  }
  // The wait also ends with the main window, so closing it never leaves the
  // program waiting without a window.
  QPointer<QDialog> main(main_window);
  bool main_ended = false;
  QMetaObject::Connection ended;
  if (main_window) {
    ended = QObject::connect(main_window, &QDialog::finished, [&main_ended] { main_ended = true; });
  }
  while (!ProcessEnded(static_cast<pid_t>(pid))) {
    if (main_ended || (main_window && !main)) break;
    if (PumpPendingMessages(kPollMs, main)) break;
  }
  QObject::disconnect(ended);
  return StampOf(file) != before ? EditorOutcome::kSaved : EditorOutcome::kUnchanged;
}

}  // namespace quorel
