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
EDivByZero::EDivByZero() : ERuntimeError(SJ("0で除算しました")) {}
EInvalidOp::EInvalidOp() : ERuntimeError(SJ("浮動小数点数の無効な演算")) {}
EZeroDivide::EZeroDivide() : ERuntimeError(SJ("浮動小数点数の0除算")) {}
EOverflow::EOverflow() : ERuntimeError(SJ("浮動小数点数のオーバーフロー")) {}

}  // namespace nura
