// Where the tests of the league, draft-file and merge code put their files.
#pragma once

#include <filesystem>
#include <string>

namespace pm::test {

// `name` in a folder under the system's temporary folder whose name holds
// Cyrillic, Greek and Japanese letters, as Windows user folders do
// ("C:\Users\Иван\Documents"): every test that writes and reads league files
// goes through such a name. The folder `name` itself is not created.
inline std::filesystem::path TestFolder(const std::string& name) {
  const std::filesystem::path root = std::filesystem::temp_directory_path() / std::u8string(u8"Иван Σοφία 山田");
  std::filesystem::create_directories(root);
  return root / name;
}

}  // namespace pm::test
