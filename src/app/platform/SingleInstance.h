// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace quorel {

inline constexpr const char* kInstanceLockName = "Dorvak.Quorel Ver1.0";

// One copy of the program at a time: a lock file named after the program in
// the user's runtime folder, held for the whole run. A lock whose owner
// process is gone (a crash) is taken over.
class SingleInstance {
 public:
  enum class Outcome {
    kAcquired,
    kAlreadyRunning,  // another live process holds the lock
    kFailed,          // the lock file cannot be made at all
  };

  // `folder` empty: the user's runtime folder.
  explicit SingleInstance(const QString& folder = QString());

  Outcome Acquire();
  const QString& LockPath() const { return path_; }
  // After kAlreadyRunning: the process id of the running copy (0: unknown).
  qint64 OwnerPid() const { return owner_pid_; }

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
  qint64 owner_pid_ = 0;
};

}  // namespace quorel
