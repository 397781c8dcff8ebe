// Quorel — SPDX-License-Identifier: MIT
#include "app/BackgroundJob.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <utility>

namespace quorel {
namespace {

bool running = false;  // touched on the GUI thread only
int dialog_delay_ms = 500;
std::function<void()> work_gate;

}  // namespace

bool BackgroundJob::Busy() { return running; }

void BackgroundJob::SetDialogDelayMs(int delay_ms) { dialog_delay_ms = delay_ms; }

void BackgroundJob::SetWorkGateForTest(std::function<void()> gate) { work_gate = std::move(gate); }

void BackgroundJob::WaitForEnd() {
  while (running) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

bool BackgroundJob::Run(QWidget* owner, const QString& label, std::function<void()> work) {
  if (running) return false;
  running = true;
  QThread* thread = QThread::create([gate = std::exchange(work_gate, nullptr), work = std::move(work)] {
    if (gate) gate();
    work();
  });
  // The thread object outlives this call when the job is cancelled; it goes
  // (and the program may start the next job) when the work has ended.
  QObject::connect(thread, &QThread::finished, thread, [thread] {
    running = false;
    thread->deleteLater();
  });

  QEventLoop loop;
  bool finished = false;
  QObject::connect(thread, &QThread::finished, &loop, [&] {
    finished = true;
    loop.quit();
  });
  QProgressDialog progress(label, QStringLiteral("キャンセル"), 0, 0, owner);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  progress.setAutoReset(false);
  progress.setAutoClose(false);
  progress.cancel();  // hidden until the delay has passed
  QObject::connect(&progress, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
  QTimer show_later;
  show_later.setSingleShot(true);
  QObject::connect(&show_later, &QTimer::timeout, &progress, [&progress] {
    progress.reset();
    progress.show();
  });

  QApplication::setOverrideCursor(Qt::BusyCursor);
  thread->start();
  show_later.start(dialog_delay_ms);
  loop.exec();
  QApplication::restoreOverrideCursor();
  return finished;
}

}  // namespace quorel
