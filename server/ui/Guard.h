// Runs a window handler under the program's error trap: an exception that
// escapes it is filed and shown by the error reporter, which ends the program.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

#include "common/ErrorReport.h"

namespace pm::server {

template <typename F>
void Guard(ErrorReporter& reporter, const char* context, F&& handler) {
  try {
    handler();
  } catch (const std::out_of_range& e) {
    reporter.Report(context, kErrSubscriptOutOfRange, std::string("Subscript out of range: ") + e.what());
  } catch (const std::exception& e) {
    reporter.Report(context, kErrInvalidFormat, e.what());
  }
}

}  // namespace pm::server
