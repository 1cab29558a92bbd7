#include "common/CommandLine.h"

#include <iostream>
#include <string>

#include "common/Version.h"

namespace pm {

bool AnswerInfoOption(int argc, const char* const* argv, std::string_view program, std::string_view usage) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << usage;
      return true;
    }
    if (arg == "--version") {
      std::cout << program << " " << kVersion << "\n";
      return true;
    }
  }
  return false;
}

}  // namespace pm
