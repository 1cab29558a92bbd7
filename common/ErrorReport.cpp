#include "common/ErrorReport.h"

#include <new>
#include <system_error>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "common/Files.h"
#include "common/platform/Platform.h"

#ifndef PICKMILL_CONTACT
#define PICKMILL_CONTACT "pickmill-support@example.org"
#endif

namespace pm {

std::string ErrorDescription(int number) {
  switch (number) {
    case kErrInvalidCall: return "Invalid procedure call or argument";
    case kErrOverflow: return "Overflow";
    case kErrSubscriptOutOfRange: return "Subscript out of range";
    case kErrInvalidFormat: return "Type mismatch";
    case kErrBadFileName: return "Bad file name or number";
    case kErrFileNotFound: return "File not found";
    case kErrDeviceIO: return "Device I/O error";
    case kErrInputPastEnd: return "Input past end of file";
    case kErrBadRecordNumber: return "Bad record number";
    case kErrPathFileAccess: return "Path/File access error";
    default: return "Application-defined or object-defined error";
  }
}

ErrorInfo ErrorOf(const std::exception& e) {
  if (const auto* numbered = dynamic_cast<const NumberedError*>(&e)) return {numbered->number, numbered->what()};
  if (dynamic_cast<const std::out_of_range*>(&e))
    return {kErrSubscriptOutOfRange, ErrorDescription(kErrSubscriptOutOfRange)};
  if (dynamic_cast<const std::bad_alloc*>(&e)) return {kErrOutOfMemory, "Out of memory"};
  if (dynamic_cast<const std::system_error*>(&e)) return {kErrDeviceIO, e.what()};
  return {kErrInvalidCall, ErrorDescription(kErrInvalidCall) + " (" + e.what() + ")"};
}

ErrorReporter::ErrorReporter() : contact(PICKMILL_CONTACT) {
  showMessage = [](const std::string& message) { std::cerr << message << std::endl; };
  endProgram = [] { std::_Exit(1); };
  now = [] { return LocalTime(std::time(nullptr)); };
}

std::string ErrorReporter::Message(const std::string& context, int number, const std::string& description) const {
  const std::string crlf = "\r\n";
  return "An error, #" + std::to_string(number) + ", " + description + ", has occurred " + "in program " + context +
         "." + crlf + crlf + "Please make a note of what you were doing, zip up your " +
         "files and send them to the author at email:" + crlf + crlf + contact + crlf + crlf + "Also, attach file " +
         ShownPath(errorFilePath) + " to the email as well." + " This file will help determine the cause of the error.";
}

std::string ErrorReporter::FileLine(const std::string& context, int number, const std::string& description) const {
  std::tm t = now();
  char stamp[64];  // room for any int the fields may hold
  // Fixed digits whatever the locale: MM-DD-YYYY - HH:MM:SS.
  std::snprintf(stamp, sizeof stamp, "%02d-%02d-%04d - %02d:%02d:%02d", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900,
                t.tm_hour, t.tm_min, t.tm_sec);
  return std::string(stamp) + " - " + programLabel + " - " + context + " - " + std::to_string(number) + " - " +
         description;
}

void ErrorReporter::Report(const std::string& context, int number, const std::string& description) {
  ++reports;
  lastFileWriteFailed = true;
  if (!errorFilePath.empty()) {
    lastFileWriteFailed = !AppendDurable(errorFilePath, FileLine(context, number, description) + "\r\n").empty();
  }
  std::string message = Message(context, number, description);
  if (lastFileWriteFailed) {
    // The report must not be lost even when the league folder cannot be written.
    std::cerr << FileLine(context, number, description) << std::endl;
  }
  if (showMessage) showMessage(message);
  if (endProgram) endProgram();
}

void ErrorReporter::Note(const std::string& context, int number, const std::string& description) {
  const std::string line = FileLine(context, number, description);
  if (errorFilePath.empty() || !AppendDurable(errorFilePath, line + "\r\n").empty()) std::cerr << line << std::endl;
}

void ReportError(ErrorReporter& reporter, const std::string& label, const std::string& context, int number,
                 const std::string& description) {
  reporter.programLabel = label;
  reporter.Report(context, number, description);
}

}  // namespace pm
