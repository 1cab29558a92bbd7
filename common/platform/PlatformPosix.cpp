// The file layer on POSIX systems (Linux, macOS).
#include "common/platform/Platform.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif

namespace fs = std::filesystem;

namespace pm {

namespace {

std::string WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::strerror(errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
}

fs::path FolderOf(const fs::path& path) {
  fs::path folder = path.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

std::function<void(const fs::path&)>& FolderSyncObserver() {
  static std::function<void(const fs::path&)> observer;
  return observer;
}

}  // namespace

// The file system's bytes on both sides.
fs::path PathOfText(std::string_view text) { return fs::path(std::string(text)); }

std::string TextOfPath(const fs::path& path) { return path.native(); }

std::vector<std::string> ProgramArguments(int argc, const char* const* argv) {
  if (argc < 2) return {};
  return std::vector<std::string>(argv + 1, argv + argc);
}

void UseUtf8Console() {}

std::optional<std::string> ReadWholeFile(const fs::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string data;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return data;
}

std::string WriteFileAtomic(const fs::path& path, std::string_view bytes) {
  fs::path temp = path;
  temp += ".pm-new";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return std::string("cannot create ") + temp.string() + ": " + std::strerror(errno);
  std::string err;
  // The new file takes the old one's permissions (a league the Commish made
  // read-only for others, or writable for his group, stays so).
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0 && ::fchmod(fd, old.st_mode & 07777) != 0) err = std::strerror(errno);
  if (err.empty()) err = WriteAll(fd, bytes);
  if (err.empty() && ::fsync(fd) != 0) err = std::strerror(errno);
  if (::close(fd) != 0 && err.empty()) err = std::strerror(errno);
  if (err.empty() && ::rename(temp.c_str(), path.c_str()) != 0) err = std::strerror(errno);
  if (!err.empty()) {
    ::unlink(temp.c_str());
    return "cannot write " + path.string() + ": " + err;
  }
  SyncFolder(FolderOf(path));
  return {};
}

std::string AppendDurable(const fs::path& path, std::string_view bytes) {
  // Open the file as it is; only when it is missing is it created here, and
  // then its folder must learn the new name durably as well.
  bool created = false;
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) {
    fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    created = fd >= 0;
    if (fd < 0 && errno == EEXIST) fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  }
  if (fd < 0) return std::string("cannot open ") + path.string() + ": " + std::strerror(errno);
  std::string err = WriteAll(fd, bytes);
  if (err.empty() && ::fsync(fd) != 0) err = std::strerror(errno);
  if (::close(fd) != 0 && err.empty()) err = std::strerror(errno);
  if (!err.empty()) return "cannot append to " + path.string() + ": " + err;
  if (created) SyncFolder(FolderOf(path));
  return {};
}

WriteAtResult WriteAtDurable(const fs::path& path, std::uint64_t offset, std::string_view bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? WriteAtResult::NotFound : WriteAtResult::CannotOpen;
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return WriteAtResult::Failed;
    }
    done += static_cast<std::size_t>(n);
  }
  bool synced = ::fsync(fd) == 0;
  bool closed = ::close(fd) == 0;
  return synced && closed ? WriteAtResult::Written : WriteAtResult::Failed;
}

void SyncFolder(const fs::path& folder) {
  if (FolderSyncObserver()) FolderSyncObserver()(folder);
#ifdef O_DIRECTORY
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#else
  int fd = ::open(folder.c_str(), O_RDONLY | O_CLOEXEC);
#endif
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

void ObserveFolderSyncs(std::function<void(const fs::path& folder)> observer) {
  FolderSyncObserver() = std::move(observer);
}

std::tm LocalTime(std::time_t t) {
  std::tm local{};
  ::localtime_r(&t, &local);
  return local;
}

namespace {

bool SetIntOption(int fd, int level, int name, int value) {
  return ::setsockopt(fd, level, name, &value, sizeof value) == 0;
}

std::optional<int> IntOption(int fd, int level, int name) {
  int value = 0;
  socklen_t size = sizeof value;
  if (::getsockopt(fd, level, name, &value, &size) != 0) return std::nullopt;
  return value;
}

// The option that sets the idle time before the first probe.
#ifdef TCP_KEEPIDLE
constexpr int kIdleOption = TCP_KEEPIDLE;
#else
constexpr int kIdleOption = TCP_KEEPALIVE;  // macOS
#endif

}  // namespace

bool SetTcpKeepAlive(std::intptr_t socket, const KeepAlive& settings) {
  const int fd = static_cast<int>(socket);
  return SetIntOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1) &&
         SetIntOption(fd, IPPROTO_TCP, kIdleOption, settings.idleSeconds) &&
         SetIntOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, settings.intervalSeconds) &&
         SetIntOption(fd, IPPROTO_TCP, TCP_KEEPCNT, settings.probes);
}

std::optional<KeepAlive> TcpKeepAlive(std::intptr_t socket) {
  const int fd = static_cast<int>(socket);
  const std::optional<int> on = IntOption(fd, SOL_SOCKET, SO_KEEPALIVE);
  const std::optional<int> idle = IntOption(fd, IPPROTO_TCP, kIdleOption);
  const std::optional<int> interval = IntOption(fd, IPPROTO_TCP, TCP_KEEPINTVL);
  const std::optional<int> probes = IntOption(fd, IPPROTO_TCP, TCP_KEEPCNT);
  if (!on || *on == 0 || !idle || !interval || !probes) return std::nullopt;
  return KeepAlive{*idle, *interval, *probes};
}

}  // namespace pm
