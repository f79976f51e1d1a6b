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

}  // namespace nura
