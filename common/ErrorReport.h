// The fatal error reporter of both programs.
//
// An unexpected run-time failure in a handler is filed as one line in
// "PK-ERROR.TXT" in the league's folder, shown to the user in a message box
// with the error icon, and then the program ends. Each program owns one
// ErrorReporter; the message box, the clock and the end of the program are
// injectable so tests can watch what happens instead of dying.
#pragma once

#include <ctime>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

namespace pm {

// Error numbers and descriptions as the programs report them.
struct ErrorInfo {
  int number = 0;
  std::string description;
};

inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrInputPastEnd = 62;
inline constexpr int kErrSubscriptOutOfRange = 9;
inline constexpr int kErrBadFileName = 52;
inline constexpr int kErrPathFileAccess = 75;
inline constexpr int kErrDeviceIO = 57;
inline constexpr int kErrOverflow = 6;
inline constexpr int kErrInvalidFormat = 13;

inline constexpr int kErrInvalidCall = 5;
inline constexpr int kErrOutOfMemory = 7;
inline constexpr int kErrBadRecordNumber = 63;

// The description that goes with an error number ("Input past end of file").
std::string ErrorDescription(int number);

// A failure that carries its error number and where it happened; the league
// module's errors are of this kind.
struct NumberedError : std::runtime_error {
  NumberedError(std::string where, int errorNumber, const std::string& description)
      : std::runtime_error(description), context(std::move(where)), number(errorNumber) {}
  std::string context;
  int number;
  std::string Description() const { return what(); }
};

// The error number and description of an exception caught by a handler: a
// NumberedError's own; 9 for out_of_range, 7 for bad_alloc, 57 for a file
// system failure, else 5 with the exception's text.
ErrorInfo ErrorOf(const std::exception& e);

// Labels of the two programs in the error file.
inline constexpr const char* kServerLabel = "PK - Server";
inline constexpr const char* kClientLabel = "PK - Client";
inline constexpr const char* kErrorFileName = "PK-ERROR.TXT";

class ErrorReporter {
 public:
  ErrorReporter();

  // "PK - Server" or "PK - Client".
  std::string programLabel;
  // Full path of the error file as path text (common/Files.h: UTF-8 on
  // Windows); set when a league file is opened.
  std::string errorFilePath;
  // Contact address shown in the message; a build setting.
  std::string contact;

  // Shows the (UTF-8) message in a message box with the error icon and an
  // OK button.
  std::function<void(const std::string& message)> showMessage;
  // Ends the program at once. Defaults to std::_Exit(1).
  std::function<void()> endProgram;
  // Local time of the report.
  std::function<std::tm()> now;

  // Builds the user's message for an error, as UTF-8 text (it names the
  // error file; the description is UTF-8 too, as the file layer words it).
  std::string Message(const std::string& context, int number, const std::string& description) const;
  // The error-file line, without its CR LF.
  std::string FileLine(const std::string& context, int number, const std::string& description) const;

  // Files the error, shows it and ends the program. When an injected
  // endProgram returns (tests), this returns too; callers return at once.
  void Report(const std::string& context, int number, const std::string& description);
  void Report(const std::string& context, const ErrorInfo& error) { Report(context, error.number, error.description); }
  // Files a failure the program goes on after (a webhook that did not
  // answer, a file kept only for convenience); shows nothing.
  void Note(const std::string& context, int number, const std::string& description);

  // How many reports were made (tests read it).
  int reports = 0;
  // The error file could not be written on the last report.
  bool lastFileWriteFailed = false;
};

// The programs' one error trap: runs `handler`; an exception that escapes it
// is reported under `context` (see ErrorContexts.h) with the number and
// description ErrorOf gives it, which files it, shows it and ends the
// program. False when that happened.
template <typename F>
bool Trap(ErrorReporter& reporter, const char* context, F&& handler) {
  try {
    std::forward<F>(handler)();
    return true;
  } catch (const std::exception& e) {
    reporter.Report(context, ErrorOf(e));
    return false;
  }
}

// The stand-alone form: ReportError(label, context, number, description)
// with the given reporter.
void ReportError(ErrorReporter& reporter, const std::string& label, const std::string& context, int number,
                 const std::string& description);

}  // namespace pm
