// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace quorel {

// Slow work (an output of a large picture, reading a photo) off the GUI
// thread: the caller waits in a local event loop, so the window keeps
// repainting; a busy cursor shows at once and, past half a second, a progress
// dialog with Cancel. One job at a time for the whole program.
class BackgroundJob {
 public:
  // True while a job runs, a cancelled one included until its thread ends:
  // commands that would start another job or change what one reads are
  // refused meanwhile.
  static bool Busy();

  // Runs `work` on a worker thread and returns when it has ended (true) or
  // the user pressed Cancel (false; the work then runs to its end unseen and
  // its result must be dropped). `work` may outlive the call: it must own
  // what it writes, and what it reads must stay unchanged while Busy().
  // Refused (false, nothing run) while Busy().
  static bool Run(QWidget* owner, const QString& label, std::function<void()> work);

  // Returns when no job runs any more (events are processed meanwhile).
  static void WaitForEnd();

  // The progress dialog's delay; tests set 0 to see it at once.
  static void SetDialogDelayMs(int delay_ms);

  // Runs on the next job's thread before its work: a test holds the work
  // there until it has pressed Cancel.
  static void SetWorkGateForTest(std::function<void()> gate);
};

}  // namespace quorel
