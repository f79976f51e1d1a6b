#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace nura {

namespace fs = std::filesystem;

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Flushes the folder entry of a rename to disk (best effort).
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool ReadNativeFile(const std::string& nativePath, std::string& bytes) {
  bytes.clear();
  std::error_code ec;
  if (nativePath.empty() || fs::is_directory(nativePath, ec)) return false;
  std::ifstream in(nativePath, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteFileAtomically(const std::string& nativePath, std::string_view bytes) {
  if (nativePath.empty()) return false;
  std::error_code ec;
  fs::path target(nativePath);
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (ec) return false;
    target = resolved;
  }
  if (fs::is_directory(target, ec)) return false;
  struct stat st {};
  const bool existed = ::stat(target.c_str(), &st) == 0;

  std::string temp = target.string() + ".tmpXXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  if (ok) {
    // mkstemp makes the file private; give it the old file's permissions,
    // or those a new file gets.
    mode_t mode = st.st_mode & 07777;
    if (!existed) {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }
    ok = ::fchmod(fd, mode) == 0;
  }
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(target.parent_path());
  return true;
}

}  // namespace nura
