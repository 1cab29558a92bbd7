#include "server/engine/LeagueLock.h"
#include "common/QtPaths.h"

#include <QFile>
#include <QLockFile>

#include <filesystem>

#include "common/Files.h"

namespace pm::server {

std::string LeagueLockFileIn(const std::string& folder, const std::string& leagueName) {
  return TextOfPath(PathOfText(folder) / (FileNamePart(leagueName) + kLockFileSuffix));
}

LeagueLock::LeagueLock() = default;
LeagueLock::~LeagueLock() = default;

LeagueLock::Result LeagueLock::Take(const std::string& folder, const std::string& leagueName) {
  Release();
  file_ = LeagueLockFileIn(folder, leagueName);
  lock_ = std::make_unique<QLockFile>(PathQString(file_));
  // Only a lock whose process is gone is stale: its age says nothing.
  lock_->setStaleLockTime(0);
  if (lock_->tryLock(0)) return Result::Taken;
  return lock_->error() == QLockFile::LockFailedError ? Result::HeldElsewhere : Result::NotWritable;
}

void LeagueLock::Release() {
  if (lock_) lock_->unlock();
}

bool LeagueLock::Held() const { return lock_ && lock_->isLocked(); }

std::string LeagueLock::Holder() const {
  qint64 pid = 0;
  QString host, program;
  if (!lock_ || !lock_->getLockInfo(&pid, &host, &program)) return {};
  return "process " + std::to_string(pid) + " on " + host.toStdString();
}

}  // namespace pm::server
