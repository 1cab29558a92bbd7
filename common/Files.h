// File helpers shared by the league module and both programs.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Reading and the durable writes (ReadWholeFile, WriteFileAtomic,
// AppendDurable) live in the platform layer.
#include "common/platform/Platform.h"

namespace pm {

// Paths travel through the libraries as std::filesystem::path or as path
// text, std::string in the libraries' file-name encoding (the file system's
// bytes on POSIX, UTF-8 on Windows; see PathOfText and TextOfPath). A text
// shown to the user that names a path is UTF-8 and takes the path through
// ShownPath.

// A path as UTF-8 text, for messages.
std::string ShownPath(const std::filesystem::path& path);
inline std::string ShownPath(const std::string& path) { return ShownPath(PathOfText(path)); }

// The file `name` (path text) in `folder`, found whatever the letter case of its name
// (league files copied from other systems come as BIG.LGE or big.pyr). An
// exact match wins; otherwise the first entry whose name matches case-blind.
// Returns the path as given when nothing matches, so that opening it fails
// with the ordinary "not found".
std::filesystem::path FindCaseInsensitive(const std::filesystem::path& folder, std::string_view name);

// `base` (a path without extension) plus `extension`, found case-blind.
std::filesystem::path WithExtension(const std::filesystem::path& base, std::string_view extension);

// `name` fit to stand in a file name on every system the programs run on:
// each character no file name may hold (/ \ : * ? " < > | and the control
// characters) becomes "_"; every other byte stays. The files and folders
// named after a league (its draft file and the names derived from it, the
// order file, the lock, the merge's journal and backups) take the league's
// name through this, so a name like "NFL/AFL League" names a file beside the
// league and not one in a missing folder.
std::string FileNamePart(std::string_view name);

}  // namespace pm
