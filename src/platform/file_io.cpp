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

TAtomicFileWriter::TAtomicFileWriter(std::string nativePath) : target_(std::move(nativePath)) {}

TAtomicFileWriter::~TAtomicFileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool TAtomicFileWriter::Open() {
  if (target_.empty() || fd_ >= 0) return false;
  std::error_code ec;
  fs::path target(target_);
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (ec) return false;
    target = resolved;
  }
  if (fs::is_directory(target, ec)) return false;
  target_ = target.string();
  struct stat st {};
  existed_ = ::stat(target_.c_str(), &st) == 0;
  mode_ = st.st_mode & 07777;
  std::string temp = target_ + ".tmpXXXXXX";
  fd_ = ::mkstemp(temp.data());
  if (fd_ < 0) return false;
  temp_ = temp;
  return true;
}

bool TAtomicFileWriter::Write(std::string_view bytes) {
  if (fd_ < 0 || failed_) return false;
  failed_ = !WriteAll(fd_, bytes);
  return !failed_;
}

bool TAtomicFileWriter::WriteAt(uint64_t offset, std::string_view bytes) {
  if (fd_ < 0 || failed_) return false;
  failed_ = ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0 || !WriteAll(fd_, bytes) ||
            ::lseek(fd_, 0, SEEK_END) < 0;
  return !failed_;
}

bool TAtomicFileWriter::Commit() {
  if (fd_ < 0 || failed_) return false;
  bool ok = ::fsync(fd_) == 0;
  if (ok) {
    // mkstemp makes the file private; give it the old file's permissions,
    // or those a new file gets.
    mode_t mode = static_cast<mode_t>(mode_);
    if (!existed_) {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }
    ok = ::fchmod(fd_, mode) == 0;
  }
  ok = ::close(fd_) == 0 && ok;
  fd_ = -1;
  if (ok) ok = ::rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) return false;  // the destructor removes the temporary file
  temp_.clear();
  SyncFolder(fs::path(target_).parent_path());
  return true;
}

bool WriteFileAtomically(const std::string& nativePath, std::string_view bytes) {
  TAtomicFileWriter writer(nativePath);
  return writer.Open() && writer.Write(bytes) && writer.Commit();
}

}  // namespace nura
