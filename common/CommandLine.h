// The options every program answers without starting: --help and --version.
#pragma once

#include <string_view>

namespace pm {

// When the arguments hold --help (or -h) or --version, prints the program's
// usage or "<program> <version>" to standard output and returns true: the
// program then ends with status 0. Other arguments are left to the program.
bool AnswerInfoOption(int argc, const char* const* argv, std::string_view program, std::string_view usage);

}  // namespace pm
