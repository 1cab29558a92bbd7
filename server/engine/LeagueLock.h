// The lock that lets one server at a time run the draft of a league.
//
// A server holds a lock file beside the league ("<league name>-DRAFT.LOCK",
// the name through FileNamePart) from its league load until it unloads, so a
// second server on the same league folder is refused before it reads or
// writes the draft file. The lock file names the process that holds it: one
// left by a server that crashed (its process is gone) is taken over. A lock
// never goes stale by its age, since a draft runs for hours.
#pragma once

#include <memory>
#include <string>

class QLockFile;

namespace pm::server {

inline constexpr const char* kLockFileSuffix = "-DRAFT.LOCK";

// The lock file of league `leagueName` in `folder` (file-name encoding).
std::string LeagueLockFileIn(const std::string& folder, const std::string& leagueName);

class LeagueLock {
 public:
  LeagueLock();
  ~LeagueLock();  // releases the lock

  enum class Result {
    Taken,          // this process holds the lock now
    HeldElsewhere,  // another server holds it (see Holder)
    NotWritable,    // the lock file cannot be made in the folder
  };
  // Takes the lock of league `leagueName` in `folder`, releasing one held
  // before. A lock whose process is gone is taken over.
  Result Take(const std::string& folder, const std::string& leagueName);
  void Release();
  bool Held() const;
  // The lock file of the last Take (file-name encoding).
  const std::string& File() const { return file_; }
  // Who holds the lock Take found held, as "process N on HOST" (UTF-8);
  // empty when that cannot be read.
  std::string Holder() const;

 private:
  std::string file_;
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace pm::server
