#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>

#include "platform/native_path.h"
#include "platform/shell.h"
#include "platform/text_hash.h"

namespace nura {

namespace fs = std::filesystem;

bool WriteToDescriptor(int fd, std::string_view bytes) {
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

namespace {

// Flushes the folder entry of a rename to disk (best effort).
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Whether a save may follow the symbolic link at `link` (its lstat in
// `st`): as the kernel rules for opening, a link in a sticky folder that
// everyone may write is followed only when it belongs to the user or to the
// folder's owner, so another user's link there cannot redirect a save.
bool MayFollowLink(const fs::path& link, const struct stat& st) {
  const fs::path parent = link.has_parent_path() ? link.parent_path() : fs::path(".");
  struct stat folder {};
  if (::stat(parent.c_str(), &folder) != 0) return false;
  const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
  return !shared || st.st_uid == ::geteuid() || st.st_uid == folder.st_uid;
}

// Follows the symbolic links of a save's name one by one (at most 40);
// false when one may not be followed or they do not end.
bool FollowSaveLinks(fs::path& target) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    if (!MayFollowLink(target, st)) return false;
    std::error_code ec;
    const fs::path next = fs::read_symlink(target, ec);
    if (ec) return false;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return false;
}

// The file a save of `path` replaces (a symbolic link followed) and the
// permissions the new file gets: the old file's, or those any new file
// gets. False for a folder.
bool ResolveSaveTarget(const std::string& path, std::string& resolved, mode_t& mode) {
  if (path.empty()) return false;
  std::error_code ec;
  fs::path target(path);
  if (!FollowSaveLinks(target)) return false;
  if (fs::is_directory(target, ec)) return false;
  resolved = target.string();
  struct stat st {};
  if (::stat(resolved.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  return true;
}

// How old a temporary file of a save must be before a later save of the
// same target takes it for the remains of an interrupted one.
constexpr time_t kStaleTemporarySeconds = 3600;

// The temporary files "NAME.tmpXXXXXX" in `folder` ("" the current one)
// that interrupted saves left behind, by the NAME they were to replace:
// regular files of this user's unchanged for an hour, so a save still under
// way keeps its own.
std::map<std::string, std::vector<std::string>, std::less<>> StaleTemporariesIn(const std::string& folder) {
  std::map<std::string, std::vector<std::string>, std::less<>> byTarget;
  std::error_code ec;
  const time_t now = ::time(nullptr);
  for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    // "NAME.tmp" and the six characters mkostemp puts behind it.
    if (name.size() < 10 || name.compare(name.size() - 10, 4, ".tmp") != 0) continue;
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        now - st.st_mtime > kStaleTemporarySeconds)
      byTarget[name.substr(0, name.size() - 10)].push_back(it->path().string());
  }
  return byTarget;
}

// What the last reading of each folder found, so that saving many files
// into one folder does not read the whole folder at every save. A folder is
// read again after a minute, or when the name now stands for another
// folder: a temporary left by a save interrupted since the reading is
// younger than that, an hour from stale.
class TStaleTemporaries {
 public:
  void RemoveFor(const std::string& folder, const std::string& name) {
    struct stat st {};
    if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0) return;
    RemoveFor(folder, name, st.st_dev, st.st_ino);
  }

  void RemoveFor(std::string_view folder, std::string_view name, uint64_t device, uint64_t inode) {
    const time_t now = ::time(nullptr);
    std::lock_guard<std::mutex> lock(mutex_);
    if (sweeps_.size() > kMaxFolders) sweeps_.clear();
    auto known = sweeps_.find(folder);
    if (known == sweeps_.end()) known = sweeps_.emplace(std::string(folder), TSweep{}).first;
    TSweep& sweep = known->second;
    if (sweep.device != device || sweep.inode != inode || now - sweep.at >= kSweepSeconds || now < sweep.at) {
      sweep = TSweep{now, device, inode, StaleTemporariesIn(std::string(folder))};
    }
    const auto stale = sweep.byTarget.find(name);
    if (stale == sweep.byTarget.end()) return;
    for (const std::string& path : stale->second) ::unlink(path.c_str());
    sweep.byTarget.erase(stale);
  }

 private:
  static constexpr time_t kSweepSeconds = 60;
  static constexpr size_t kMaxFolders = 1024;
  struct TSweep {
    time_t at = 0;
    uint64_t device = 0;
    uint64_t inode = 0;
    std::map<std::string, std::vector<std::string>, std::less<>> byTarget;
  };
  std::mutex mutex_;
  TTextViewMap<TSweep> sweeps_;  // by folder, looked up by a part of the target's path
};

TStaleTemporaries& StaleTemporaries() {
  static TStaleTemporaries* const sweeps = new TStaleTemporaries;  // kept to the end of the process
  return *sweeps;
}

std::string FolderOf(const fs::path& path) {
  return path.has_parent_path() ? path.parent_path().string() : std::string();
}

}  // namespace

void RemoveStaleTemporariesOf(const std::string& target) {
  const fs::path path(target);
  StaleTemporaries().RemoveFor(FolderOf(path), path.filename().string());
}

void RemoveStaleTemporariesOf(const std::string& target, uint64_t folderDevice, uint64_t folderInode) {
  // Split without fs::path: this runs for every member an extraction saves.
  StaleTemporaries().RemoveFor(NativeFolderPart(target), NativeNamePart(target), folderDevice, folderInode);
}

namespace {

// Copies the file into the open writer in blocks.
bool CopyInto(const std::string& source, TAtomicFileWriter& writer) {
  bool written = true;
  return ReadNativeFileBlocks(source, [&](std::string_view block) { return written = writer.Write(block); }) &&
         written;
}

// Opens a regular file for reading; -1 for anything else. A device, a FIFO
// or a socket would be read for ever (or block at the open): the open does
// not wait, and the kind is checked on the open file itself.
int OpenRegularFile(const std::string& nativePath) {
  if (nativePath.empty()) return -1;
  const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

// Hands the file's bytes to `take` in blocks of 64 KiB until it returns
// false; false when a read fails.
bool ReadBlocks(int fd, const std::function<bool(std::string_view)>& take) {
  std::string block(1 << 16, '\0');
  for (;;) {
    const ssize_t got = ::read(fd, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0 || !take(std::string_view(block.data(), static_cast<size_t>(got)))) return true;
  }
}

}  // namespace

bool ReadNativeFile(const std::string& nativePath, std::string& bytes) {
  bytes.clear();
  const int fd = OpenRegularFile(nativePath);
  if (fd < 0) return false;
  bool tooLarge = false;
  const bool read = ReadBlocks(fd, [&](std::string_view block) {
    tooLarge = bytes.size() + block.size() > kMaxReadFileBytes;
    if (!tooLarge) bytes.append(block);
    return !tooLarge;
  });
  ::close(fd);
  if (read && !tooLarge) return true;
  bytes.clear();
  return false;
}

bool ReadNativeFileBlocks(const std::string& nativePath, const std::function<bool(std::string_view)>& take) {
  const int fd = OpenRegularFile(nativePath);
  if (fd < 0) return false;
  const bool read = ReadBlocks(fd, take);
  ::close(fd);
  return read;
}

TAtomicFileWriter::TAtomicFileWriter(std::string nativePath) : target_(std::move(nativePath)) {}

TAtomicFileWriter::~TAtomicFileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool TAtomicFileWriter::Open() {
  if (fd_ >= 0) return false;
  std::string target;
  mode_t mode = 0;
  if (!ResolveSaveTarget(target_, target, mode)) return false;
  target_ = target;
  mode_ = mode;
  RemoveStaleTemporariesOf(target_);
  std::string temp = target_ + ".tmpXXXXXX";
  fd_ = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd_ < 0) return false;
  temp_ = temp;
  return true;
}

bool TAtomicFileWriter::Write(std::string_view bytes) {
  if (fd_ < 0 || failed_) return false;
  failed_ = !WriteToDescriptor(fd_, bytes);
  return !failed_;
}

bool TAtomicFileWriter::WriteAt(uint64_t offset, std::string_view bytes) {
  if (fd_ < 0 || failed_) return false;
  failed_ = ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0 || !WriteToDescriptor(fd_, bytes) ||
            ::lseek(fd_, 0, SEEK_END) < 0;
  return !failed_;
}

bool TAtomicFileWriter::Commit(bool replace) {
  if (fd_ < 0 || failed_) return false;
  // mkostemp makes the file private: it gets the old file's permissions,
  // or those a new file gets.
  bool ok = ::fsync(fd_) == 0 && ::fchmod(fd_, static_cast<mode_t>(mode_)) == 0;
  ok = ::close(fd_) == 0 && ok;
  fd_ = -1;
  if (ok) ok = replace ? ::rename(temp_.c_str(), target_.c_str()) == 0 : RenameNoReplace(temp_, target_);
  if (!ok) return false;  // the destructor removes the temporary file
  temp_.clear();
  SyncFolder(fs::path(target_).parent_path());
  return true;
}

bool WriteFileAtomically(const std::string& nativePath, std::string_view bytes) {
  TAtomicFileWriter writer(nativePath);
  return writer.Open() && writer.Write(bytes) && writer.Commit();
}

bool CopyFileAtomically(const std::string& source, const std::string& target) {
  struct stat st {};
  std::error_code ec;
  if (::stat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || fs::equivalent(source, target, ec))
    return false;
  TAtomicFileWriter writer(target);
  if (!writer.Open()) return false;
  writer.SetMode(st.st_mode);
  return CopyInto(source, writer) && writer.Commit();
}

bool ReplaceFileWith(const std::string& source, const std::string& target) {
  std::string resolved;
  mode_t mode = 0;
  if (!ResolveSaveTarget(target, resolved, mode)) return false;
  const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::fsync(fd) == 0 && ::fchmod(fd, mode) == 0;
  ::close(fd);
  if (!ok) return false;
  if (::rename(source.c_str(), resolved.c_str()) == 0) {
    SyncFolder(fs::path(resolved).parent_path());
    return true;
  }
  if (errno != EXDEV) return false;
  TAtomicFileWriter writer(resolved);
  if (!writer.Open() || !CopyInto(source, writer) || !writer.Commit()) return false;
  ::unlink(source.c_str());
  return true;
}

}  // namespace nura
