#include "common/Files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "common/Common.h"

namespace fs = std::filesystem;

namespace pm {

fs::path FindCaseInsensitive(const fs::path& folder, std::string_view name) {
  fs::path exact = folder / std::string(name);
  std::error_code ec;
  if (fs::exists(exact, ec)) return exact;
  std::string wanted = AsciiLower(name);
  fs::path dir = folder.empty() ? fs::path(".") : folder;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (AsciiLower(it->path().filename().string()) == wanted) return folder / it->path().filename();
  }
  return exact;
}

fs::path WithExtension(const fs::path& base, std::string_view extension) {
  return FindCaseInsensitive(base.parent_path(), base.filename().string() + std::string(extension));
}

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

void SyncFolder(const fs::path& path) {
  fs::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

std::string WriteFileAtomic(const fs::path& path, std::string_view bytes) {
  fs::path temp = path;
  temp += ".pm-new";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return std::string("cannot create ") + temp.string() + ": " + std::strerror(errno);
  std::string err = WriteAll(fd, bytes);
  if (err.empty() && ::fsync(fd) != 0) err = std::strerror(errno);
  if (::close(fd) != 0 && err.empty()) err = std::strerror(errno);
  if (err.empty() && ::rename(temp.c_str(), path.c_str()) != 0) err = std::strerror(errno);
  if (!err.empty()) {
    ::unlink(temp.c_str());
    return "cannot write " + path.string() + ": " + err;
  }
  SyncFolder(path);
  return {};
}

std::string AppendDurable(const fs::path& path, std::string_view bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return std::string("cannot open ") + path.string() + ": " + std::strerror(errno);
  std::string err = WriteAll(fd, bytes);
  if (err.empty() && ::fsync(fd) != 0) err = std::strerror(errno);
  if (::close(fd) != 0 && err.empty()) err = std::strerror(errno);
  if (!err.empty()) return "cannot append to " + path.string() + ": " + err;
  return {};
}

}  // namespace pm
