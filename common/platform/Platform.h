// The one place that calls the operating system's file functions: reading a
// whole file, durable appends, atomic replacement, writes in place and folder
// syncs, plus the local clock and the TCP keep-alive settings of a socket.
// PlatformPosix.cpp and PlatformWindows.cpp implement it; the build picks
// one. Paths are std::filesystem::path, so the Windows side opens them by
// their wide-character names. The reasons returned name the paths as UTF-8
// text.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pm {

// Paths as text. The libraries carry a path either as std::filesystem::path
// or as std::string "path text": on POSIX the file system's own bytes, on
// Windows UTF-8. These two functions are the only crossing between them, so
// that on Windows no path passes through the ANSI code page (which cannot
// hold most of the names users give their folders, like "Иван" or "山田").
// On Windows, path text that is not UTF-8 is read in the ANSI code page: Qt's
// QFile::encodeName gives that, and a league name with accented letters
// (Latin-1) makes file names in it as the game's own programs do.
std::filesystem::path PathOfText(std::string_view text);
std::string TextOfPath(const std::filesystem::path& path);

// The program's arguments after its name (argv[1] on) as path text: on
// Windows read from the wide command line, as UTF-8.
std::vector<std::string> ProgramArguments(int argc, const char* const* argv);

// Text the program writes to a console comes out as UTF-8, as its messages
// and the paths they name are: on Windows the console shows UTF-8 until the
// program ends; elsewhere there is nothing to do.
void UseUtf8Console();

// The file functions below take a path either way: as path text it crosses
// into a std::filesystem::path through PathOfText.

// Reads a whole file; nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);
inline std::optional<std::string> ReadWholeFile(const std::string& path) { return ReadWholeFile(PathOfText(path)); }

// Replaces `path` with `bytes` atomically: the bytes go to a temporary file
// beside it, are flushed to disk, and the temporary file is renamed over the
// old one, so a crash leaves either the old or the new file, never half.
// The new file keeps the old one's permissions. Returns an empty text on
// success, else the reason.
std::string WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);
inline std::string WriteFileAtomic(const std::string& path, std::string_view bytes) {
  return WriteFileAtomic(PathOfText(path), bytes);
}

// Appends `bytes` to `path` (created when missing), flushes and syncs it to
// disk before returning; when the append creates the file, its folder is
// synced too, so that the new name survives a power cut with the bytes.
// Returns an empty text on success, else the reason.
std::string AppendDurable(const std::filesystem::path& path, std::string_view bytes);
inline std::string AppendDurable(const std::string& path, std::string_view bytes) {
  return AppendDurable(PathOfText(path), bytes);
}

// Writes `bytes` at `offset` of an existing file, changing nothing else, and
// flushes the file to disk.
enum class WriteAtResult { Written, NotFound, CannotOpen, Failed };
WriteAtResult WriteAtDurable(const std::filesystem::path& path, std::uint64_t offset, std::string_view bytes);
inline WriteAtResult WriteAtDurable(const std::string& path, std::uint64_t offset, std::string_view bytes) {
  return WriteAtDurable(PathOfText(path), offset, bytes);
}

// Makes the entries of a folder (files created, renamed or removed in it)
// durable. Where the file system needs no such step this does nothing.
void SyncFolder(const std::filesystem::path& folder);

// Tests watch the folder syncs: `observer` is called with every folder
// SyncFolder is asked to sync (on every system). An empty function ends it.
void ObserveFolderSyncs(std::function<void(const std::filesystem::path& folder)> observer);

// `t` as local calendar time.
std::tm LocalTime(std::time_t t);

// TCP keep-alive of a connected socket: after `idleSeconds` without traffic
// the system sends a probe every `intervalSeconds` and drops the connection
// after `probes` unanswered ones, so a peer that vanished without closing
// (a laptop lid shut, a router reset) is noticed.
struct KeepAlive {
  int idleSeconds = 20;
  int intervalSeconds = 5;
  int probes = 5;
  bool operator==(const KeepAlive&) const = default;
};
// Switches keep-alive on for the socket with the native handle `socket` and
// sets its timing. False when the system refused any part of it.
bool SetTcpKeepAlive(std::intptr_t socket, const KeepAlive& settings);
// The socket's keep-alive timing as the system holds it; nothing when
// keep-alive is off or the settings cannot be read.
std::optional<KeepAlive> TcpKeepAlive(std::intptr_t socket);

}  // namespace pm
