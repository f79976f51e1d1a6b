#include "engine/errors.h"

namespace nura {

std::string& ErrorLog() {
  static std::string log;
  return log;
}

ENura::ENura(const std::string& message) : std::runtime_error(message) {
  ErrorLog() += message;
  ErrorLog() += "\r\n";
}

}  // namespace nura
