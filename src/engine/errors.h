// ENura: the exception for every script-level error. Constructing one
// appends its message and CR LF to the program-wide error log, which the
// error dialog shows.
#pragma once

#include <stdexcept>
#include <string>

namespace nura {

class ENura : public std::runtime_error {
 public:
  explicit ENura(const std::string& message);
};

// The program-wide error log: every ENura message and every warning of
// the current run, each followed by CR LF. Cleared when a run is prepared.
std::string& ErrorLog();

}  // namespace nura
