// File helpers shared by the league module and both programs.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pm {

// The file `name` in `folder`, found whatever the letter case of its name
// (league files copied from other systems come as BIG.LGE or big.pyr). An
// exact match wins; otherwise the first entry whose name matches case-blind.
// Returns the path as given when nothing matches, so that opening it fails
// with the ordinary "not found".
std::filesystem::path FindCaseInsensitive(const std::filesystem::path& folder, std::string_view name);

// `base` (a path without extension) plus `extension`, found case-blind.
std::filesystem::path WithExtension(const std::filesystem::path& base, std::string_view extension);

// Reads a whole file; nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Replaces `path` with `bytes` atomically: the bytes go to a temporary file
// beside it, are flushed to disk, and the temporary file is renamed over the
// old one, so a crash leaves either the old or the new file, never half.
// Returns an empty text on success, else the reason.
std::string WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// Appends `bytes` to `path`, flushes and syncs it to disk before returning.
// Returns an empty text on success, else the reason.
std::string AppendDurable(const std::filesystem::path& path, std::string_view bytes);

}  // namespace pm
