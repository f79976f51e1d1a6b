#include "engine/errors.h"

#include "platform/sjis.h"

namespace nura {

std::string& ErrorLog() {
  static std::string log;
  return log;
}

ENura::ENura(const std::string& message) : std::runtime_error(message) {
  ErrorLog() += message;
  ErrorLog() += "\r\n";
}

ERangeError::ERangeError() : ERuntimeError(SJ("範囲チェックエラー")) {}

void CheckGrowth(uint64_t bytes) {
  if (bytes > kMaxGrowthBytes) throw ERangeError();
}
EDivByZero::EDivByZero() : ERuntimeError(SJ("0で除算しました")) {}
EInvalidOp::EInvalidOp() : ERuntimeError(SJ("浮動小数点数の無効な演算")) {}
EZeroDivide::EZeroDivide() : ERuntimeError(SJ("浮動小数点数の0除算")) {}
EOverflow::EOverflow() : ERuntimeError(SJ("浮動小数点数のオーバーフロー")) {}

std::string FormatTextArgs(std::string_view format, const std::string* args, size_t count) {
  std::string out;
  out.reserve(format.size() + 32);
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%' || i + 1 == format.size()) {
      out += c;
      continue;
    }
    char d = format[i + 1];
    if (d == '%') {
      out += '%';
      ++i;
    } else if ((d == 's' || d == 'd' || d == 'u') && next < count) {
      out += args[next++];
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::string SjisFileName(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsSjisLead(c)) {
      ++i;
    } else if (c == '\\' || c == '/') {
      start = i + 1;
    }
  }
  return std::string(path.substr(start < path.size() ? start : path.size()));
}

namespace {

std::string FormatLocated(std::string_view head, std::string_view fileName, int line,
                          std::string_view text) {
  std::string out(head);
  out += SjisFileName(fileName);
  out += '(';
  out += std::to_string(line);
  out += SJ("行目): ");
  out += text;
  return out;
}

}  // namespace

std::string FormatErrorMessage(std::string_view fileName, int line, std::string_view text) {
  static const std::string head = SJ("[エラー] ");
  return FormatLocated(head, fileName, line, text);
}

std::optional<ErrorChoice> ReportWarning(std::string_view fileName, int line,
                                         std::string_view text, bool debugMode) {
  static const std::string head = SJ("[注　意] ");
  ErrorLog() += FormatLocated(head, fileName, line, text);
  ErrorLog() += "\r\n";
  if (!debugMode) return std::nullopt;
  return ShowErrorDialog();
}

ErrorChoice ShowErrorDialog() { return Dialogs().ShowErrorDialog(ErrorLog()); }

}  // namespace nura
