// The file layer on Windows: wide-character paths (path text is UTF-8, the
// command line is read wide), FlushFileBuffers for syncing and MoveFileExW
// with write-through for atomic replacement. NTFS makes a rename durable with
// the file, so folders need no sync. Keep-alive
// timing goes through the TCP socket options of Windows 10 1709 and later,
// or SIO_KEEPALIVE_VALS where they are missing.
#include "common/platform/Platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// The socket headers in this order: winsock2.h first, the others need it.
#include <winsock2.h>

#include <ws2tcpip.h>

#include <mstcpip.h>
#include <shellapi.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>

namespace fs = std::filesystem;

namespace pm {

namespace {

// Wide text as UTF-8.
std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
  if (size > 0) ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), size, nullptr, nullptr);
  return text;
}

// `text` in code page `page` as wide text; nothing when it is not valid there.
std::optional<std::wstring> Wide(std::string_view text, UINT page) {
  const int length = static_cast<int>(text.size());
  const DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
  const int size = ::MultiByteToWideChar(page, flags, text.data(), length, nullptr, 0);
  if (size <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(page, flags, text.data(), length, wide.data(), size);
  return wide;
}

// The system's description of an error code, as UTF-8.
std::string Describe(DWORD code) {
  wchar_t* wide = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&wide), 0, nullptr);
  std::string text = wide != nullptr ? Utf8(std::wstring_view(wide, length)) : std::string();
  if (wide != nullptr) ::LocalFree(wide);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  return text.empty() ? "error " + std::to_string(code) : text;
}

std::string LastError() { return Describe(::GetLastError()); }

std::function<void(const fs::path&)>& FolderSyncObserver() {
  static std::function<void(const fs::path&)> observer;
  return observer;
}

// Writes all of `bytes` at the handle's position (or at `offset` when given);
// false with the error code set when a write fails.
bool WriteAll(HANDLE file, std::string_view bytes, std::optional<std::uint64_t> offset = std::nullopt) {
  std::uint64_t at = offset.value_or(0);
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
    position.OffsetHigh = static_cast<DWORD>(at >> 32);
    if (!::WriteFile(file, bytes.data(), chunk, &written, offset ? &position : nullptr)) return false;
    if (written == 0) {
      ::SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    bytes.remove_prefix(written);
    at += written;
  }
  return true;
}

}  // namespace

fs::path PathOfText(std::string_view text) {
  if (text.empty()) return {};
  std::optional<std::wstring> wide = Wide(text, CP_UTF8);
  if (!wide) wide = Wide(text, CP_ACP);
  return fs::path(wide.value_or(std::wstring()));
}

std::string TextOfPath(const fs::path& path) { return Utf8(path.native()); }

std::vector<std::string> ProgramArguments(int argc, const char* const* argv) {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide != nullptr && count == argc) {
    for (int i = 1; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  } else {
    // The wide command line does not match argv (a caller that built its own
    // argv): its arguments as given.
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  }
  if (wide != nullptr) ::LocalFree(wide);
  return arguments;
}

void UseUtf8Console() {
  static const UINT previous = ::GetConsoleOutputCP();
  if (previous == 0 || previous == CP_UTF8) return;  // no console, or UTF-8 already
  // The console is the user's: its own code page comes back at the end.
  if (::SetConsoleOutputCP(CP_UTF8)) std::atexit([] { ::SetConsoleOutputCP(previous); });
}

std::optional<std::string> ReadWholeFile(const fs::path& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string data;
  char buffer[65536];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
      ::CloseHandle(file);
      return std::nullopt;
    }
    if (n == 0) break;
    data.append(buffer, n);
  }
  ::CloseHandle(file);
  return data;
}

std::string WriteFileAtomic(const fs::path& path, std::string_view bytes) {
  fs::path temp = path;
  temp += ".pm-new";
  HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "cannot create " + TextOfPath(temp) + ": " + LastError();
  std::string err;
  if (!WriteAll(file, bytes) || !::FlushFileBuffers(file)) err = LastError();
  if (!::CloseHandle(file) && err.empty()) err = LastError();
  if (err.empty() && !::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    err = LastError();
  if (!err.empty()) {
    ::DeleteFileW(temp.c_str());
    return "cannot write " + TextOfPath(path) + ": " + err;
  }
  return {};
}

std::string AppendDurable(const fs::path& path, std::string_view bytes) {
  // Append-only access: every write lands at the end of the file.
  HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "cannot open " + TextOfPath(path) + ": " + LastError();
  const bool created = ::GetLastError() != ERROR_ALREADY_EXISTS;
  std::string err;
  if (!WriteAll(file, bytes) || !::FlushFileBuffers(file)) err = LastError();
  if (!::CloseHandle(file) && err.empty()) err = LastError();
  if (!err.empty()) return "cannot append to " + TextOfPath(path) + ": " + err;
  if (created) SyncFolder(path.parent_path().empty() ? fs::path(".") : path.parent_path());
  return {};
}

WriteAtResult WriteAtDurable(const fs::path& path, std::uint64_t offset, std::string_view bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? WriteAtResult::NotFound
                                                                        : WriteAtResult::CannotOpen;
  }
  const bool written = WriteAll(file, bytes, offset) && ::FlushFileBuffers(file);
  const bool closed = ::CloseHandle(file) != 0;
  return written && closed ? WriteAtResult::Written : WriteAtResult::Failed;
}

// NTFS makes new names durable with the file: only the observer hears of it.
void SyncFolder(const fs::path& folder) {
  if (FolderSyncObserver()) FolderSyncObserver()(folder);
}

void ObserveFolderSyncs(std::function<void(const fs::path& folder)> observer) {
  FolderSyncObserver() = std::move(observer);
}

std::tm LocalTime(std::time_t t) {
  std::tm local{};
  ::localtime_s(&local, &t);
  return local;
}

namespace {

bool SetIntOption(SOCKET s, int level, int name, int value) {
  return ::setsockopt(s, level, name, reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

std::optional<int> IntOption(SOCKET s, int level, int name) {
  DWORD value = 0;
  int size = sizeof value;
  if (::getsockopt(s, level, name, reinterpret_cast<char*>(&value), &size) != 0) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

bool SetTcpKeepAlive(std::intptr_t socket, const KeepAlive& settings) {
  const SOCKET s = static_cast<SOCKET>(socket);
  if (!SetIntOption(s, SOL_SOCKET, SO_KEEPALIVE, 1)) return false;
#if defined(TCP_KEEPIDLE) && defined(TCP_KEEPINTVL) && defined(TCP_KEEPCNT)
  if (SetIntOption(s, IPPROTO_TCP, TCP_KEEPIDLE, settings.idleSeconds) &&
      SetIntOption(s, IPPROTO_TCP, TCP_KEEPINTVL, settings.intervalSeconds) &&
      SetIntOption(s, IPPROTO_TCP, TCP_KEEPCNT, settings.probes))
    return true;
#endif
  // Older systems: idle time and interval only (the system sends 10 probes).
  tcp_keepalive values{};
  values.onoff = 1;
  values.keepalivetime = static_cast<ULONG>(settings.idleSeconds) * 1000;
  values.keepaliveinterval = static_cast<ULONG>(settings.intervalSeconds) * 1000;
  DWORD returned = 0;
  return ::WSAIoctl(s, SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0, &returned, nullptr, nullptr) == 0;
}

std::optional<KeepAlive> TcpKeepAlive(std::intptr_t socket) {
  const SOCKET s = static_cast<SOCKET>(socket);
  const std::optional<int> on = IntOption(s, SOL_SOCKET, SO_KEEPALIVE);
  if (!on || *on == 0) return std::nullopt;
#if defined(TCP_KEEPIDLE) && defined(TCP_KEEPINTVL) && defined(TCP_KEEPCNT)
  const std::optional<int> idle = IntOption(s, IPPROTO_TCP, TCP_KEEPIDLE);
  const std::optional<int> interval = IntOption(s, IPPROTO_TCP, TCP_KEEPINTVL);
  const std::optional<int> probes = IntOption(s, IPPROTO_TCP, TCP_KEEPCNT);
  if (idle && interval && probes) return KeepAlive{*idle, *interval, *probes};
#endif
  return std::nullopt;
}

}  // namespace pm
