#include "common/Files.h"

namespace fs = std::filesystem;

namespace pm {

namespace {

// Lower-cases the ASCII letters of a native path name (wide on Windows), so
// that names are compared without converting the entries of a folder.
fs::path::string_type LowerAscii(fs::path::string_type name) {
  for (auto& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<fs::path::value_type>(c - 'A' + 'a');
  return name;
}

}  // namespace

std::string ShownPath(const fs::path& path) { return TextOfPath(path); }

fs::path FindCaseInsensitive(const fs::path& folder, std::string_view name) {
  const fs::path file = PathOfText(name);
  fs::path exact = folder / file;
  std::error_code ec;
  if (fs::exists(exact, ec)) return exact;
  const fs::path::string_type wanted = LowerAscii(file.native());
  fs::path dir = folder.empty() ? fs::path(".") : folder;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (LowerAscii(it->path().filename().native()) == wanted) return folder / it->path().filename();
  }
  return exact;
}

std::string FileNamePart(std::string_view name) {
  constexpr std::string_view kNotInFileNames = "/\\:*?\"<>|";
  std::string part(name);
  for (char& c : part) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127 || kNotInFileNames.find(c) != std::string_view::npos) c = '_';
  }
  return part;
}

fs::path WithExtension(const fs::path& base, std::string_view extension) {
  return FindCaseInsensitive(base.parent_path(), TextOfPath(base.filename()) + std::string(extension));
}

}  // namespace pm
