// Makes writes beyond a size fail while it lives (the process's file-size
// limit), so that tests can see what a failed save leaves behind.
#pragma once

#include <cstdint>
#include <sys/resource.h>

namespace nura::test {

class FileSizeLimit {
 public:
  // Files may grow to `bytes`; a write beyond fails with EFBIG.
  explicit FileSizeLimit(uint64_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  struct rlimit saved_ {};
  void (*savedHandler_)(int) = nullptr;
};

}  // namespace nura::test
