#include "net/partial_file.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace nura {

TPartialFile::~TPartialFile() { Discard(); }

bool TPartialFile::Create(const std::string& nativeTarget) {
  Discard();
  target_ = nativeTarget;
  std::string templ = nativeTarget + ".part-XXXXXX";
  fd_ = mkostemp(templ.data(), O_CLOEXEC);
  if (fd_ < 0) return false;
  temp_ = templ;
  // The finished file gets the permissions of any newly created file.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd_, 0666 & ~mask);
  return true;
}

bool TPartialFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool TPartialFile::Commit(bool replace) {
  if (fd_ < 0) return false;
  bool ok = fsync(fd_) == 0;
  ok = close(fd_) == 0 && ok;
  fd_ = -1;
  if (ok) {
    ok = replace ? rename(temp_.c_str(), target_.c_str()) == 0
                 : renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) == 0;
  }
  if (!ok) {
    Discard();
    return false;
  }
  temp_.clear();
  return true;
}

void TPartialFile::Discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
}

}  // namespace nura
