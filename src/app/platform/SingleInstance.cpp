// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace quorel {

SingleInstance::SingleInstance(const QString& folder) {
  QString dir = folder;
  if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  path_ = QDir(dir).filePath(QString::fromLatin1(kInstanceLockName) + QStringLiteral(".lock"));
}

SingleInstance::Outcome SingleInstance::Acquire() {
  lock_ = std::make_unique<QLockFile>(path_);
  // NOTE: no age limit: a lock is stale only when its owner process has gone,
  // which QLockFile checks by the process id written into the file.
  lock_->setStaleLockTime(0);
  if (lock_->tryLock(0)) return Outcome::kAcquired;
  const QLockFile::LockError error = lock_->error();
  QString host, application;
  if (!lock_->getLockInfo(&owner_pid_, &host, &application)) owner_pid_ = 0;
  lock_.reset();
  return error == QLockFile::LockFailedError ? Outcome::kAlreadyRunning : Outcome::kFailed;
}

}  // namespace quorel
