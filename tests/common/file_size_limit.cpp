#include "common/file_size_limit.h"

#include <csignal>

namespace nura::test {

FileSizeLimit::FileSizeLimit(uint64_t bytes) {
  // Without this the signal would end the process instead of failing the write.
  savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
  getrlimit(RLIMIT_FSIZE, &saved_);
  struct rlimit limit = saved_;
  limit.rlim_cur = static_cast<rlim_t>(bytes);
  setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
  setrlimit(RLIMIT_FSIZE, &saved_);
  std::signal(SIGXFSZ, savedHandler_);
}

}  // namespace nura::test
