// ENura: the exception for every script-level error. Constructing one
// appends its message and CR LF to the program-wide error log, which the
// error dialog shows. Messages are formatted once: text that comes from a
// script or a file name is only ever an argument, never a format.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "engine/dialogs.h"

namespace nura {

// printf-style formatting of Shift-JIS text: each "%s", "%d" or "%u" takes
// the next argument as text, "%%" is one "%"; any other "%" sequence and
// any directive without an argument is copied as it stands.
std::string FormatTextArgs(std::string_view format, const std::string* args, size_t count);

namespace format_detail {
inline std::string ToText(std::string_view s) { return std::string(s); }
inline std::string ToText(const char* s) { return s ? std::string(s) : std::string(); }
inline std::string ToText(char c) { return std::string(1, c); }
template <std::integral T>
std::string ToText(T n) { return std::to_string(n); }
}  // namespace format_detail

template <class... Args>
std::string FormatText(std::string_view format, const Args&... args) {
  const std::string texts[] = {format_detail::ToText(args)..., std::string()};
  return FormatTextArgs(format, texts, sizeof...(Args));
}

// `text` between double quotes, as messages name words and files.
inline std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

class ENura : public std::runtime_error {
 public:
  explicit ENura(const std::string& message);

  // Formats `format` with `args` once, logs and constructs.
  template <class... Args>
  static ENura CreateFmt(std::string_view format, const Args&... args) {
    return ENura(FormatText(format, args...));
  }
};

// The program-wide error log: every ENura message and every warning of
// the current run, each followed by CR LF. Cleared when a run is prepared.
std::string& ErrorLog();

// Failures of the run-time's own checks. They are not ENura: they do not
// enter the error log by themselves, and the run loop reports them like
// any other error. Messages are Shift-JIS.
class ERuntimeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A number outside the range it must fit (a 32-bit integer argument, an
// index, a date part).
class ERangeError : public ERuntimeError {
 public:
  ERangeError();
  using ERuntimeError::ERuntimeError;
};

// The most bytes that one command may make a value or a table grow to from
// a count or an index that the script gives ("確保", "リフレイン", padding,
// binary reads, table cells): beyond it the command gives the range error
// at once instead of exhausting memory.
constexpr uint64_t kMaxGrowthBytes = uint64_t{1} << 28;
// ERangeError when `bytes` passes kMaxGrowthBytes.
void CheckGrowth(uint64_t bytes);

// A stream or file whose content is not of the expected format.
class EReadError : public ERuntimeError {
 public:
  using ERuntimeError::ERuntimeError;
};

// Integer division or remainder by zero.
class EDivByZero : public ERuntimeError {
 public:
  EDivByZero();
};

// Floating-point failures: an invalid operation (0 / 0, the square root of
// a negative, ...), a division by zero, and an overflow.
class EInvalidOp : public ERuntimeError {
 public:
  EInvalidOp();
};
class EZeroDivide : public ERuntimeError {
 public:
  EZeroDivide();
};
class EOverflow : public ERuntimeError {
 public:
  EOverflow();
};

// "[エラー] file(N行目): text", the file name without its folders.
std::string FormatErrorMessage(std::string_view fileName, int line, std::string_view text);

// "[注　意] file(N行目): text" goes to the error log; in debug mode the
// error dialog opens at once and its choice is returned for the engine to
// act on.
std::optional<ErrorChoice> ReportWarning(std::string_view fileName, int line,
                                         std::string_view text, bool debugMode);

// The error dialog with the whole error log; the user's choice.
ErrorChoice ShowErrorDialog();

// The file name of a Shift-JIS path: what follows the last "\" or "/"
// (a two-byte character is never split).
std::string SjisFileName(std::string_view path);

}  // namespace nura
