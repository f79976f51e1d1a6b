#include "platform/native_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace nura {

namespace {

int OpenFlags(TFileAccess access) {
  switch (access) {
    case TFileAccess::Read: return O_RDONLY;
    case TFileAccess::Write: return O_WRONLY;
    case TFileAccess::ReadWrite: return O_RDWR;
    case TFileAccess::Create: return O_RDWR | O_CREAT | O_TRUNC;
  }
  return O_RDONLY;
}

}  // namespace

TNativeFile::~TNativeFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool TNativeFile::Open(const std::string& nativePath, TFileAccess access) {
  if (fd_ >= 0) ::close(fd_);
  // O_NONBLOCK keeps the open of a pipe from waiting; it is cleared once the
  // file proved to be a regular one.
  fd_ = ::open(nativePath.c_str(), OpenFlags(access) | O_CLOEXEC | O_NONBLOCK, 0666);
  struct stat st {};
  if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) ||
                   ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK) != 0)) {
    ::close(fd_);
    fd_ = -1;
  }
  return fd_ >= 0;
}

int64_t TNativeFile::Read(void* buffer, size_t count) {
  ssize_t n;
  do {
    n = ::read(fd_, buffer, count);
  } while (n < 0 && errno == EINTR);
  return n;
}

bool TNativeFile::Write(const void* data, size_t count, size_t& written) {
  written = 0;
  while (written < count) {
    const ssize_t n = ::write(fd_, static_cast<const char*>(data) + written, count - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

int64_t TNativeFile::Seek(int64_t offset, TSeekOrigin origin) {
  const int whence = origin == TSeekOrigin::Begin     ? SEEK_SET
                     : origin == TSeekOrigin::Current ? SEEK_CUR
                                                      : SEEK_END;
  return ::lseek(fd_, static_cast<off_t>(offset), whence);
}

int64_t TNativeFile::Size() {
  struct stat st {};
  return ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

TCreateResult CreateNewFile(const std::string& nativePath) {
  const int fd = ::open(nativePath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) {
    ::close(fd);
    return TCreateResult::Created;
  }
  return errno == EEXIST ? TCreateResult::Exists : TCreateResult::Failed;
}

bool ReadFileStatus(const std::string& nativePath, TFileStatus& status) {
  struct stat st {};
  if (::stat(nativePath.c_str(), &st) != 0) return false;
  status.size = st.st_size;
  status.modified = st.st_mtime;
  return true;
}

std::tm LocalTimeOf(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

}  // namespace nura
