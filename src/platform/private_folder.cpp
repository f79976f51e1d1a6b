#include "platform/private_folder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "platform/file_io.h"
#include "platform/system_info.h"

namespace nura {

namespace {

// A folder of this user's, not a link, that only the user may enter.
bool OwnPrivateFolder(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
         (st.st_mode & 077) == 0;
}

std::string ParentOfRunFolder() {
  const char* runtime = ::getenv("XDG_RUNTIME_DIR");
  if (runtime && OwnPrivateFolder(runtime)) return runtime;
  std::string temp = SystemFolderPath(SystemFolder::Temp);
  while (temp.size() > 1 && temp.back() == '/') temp.pop_back();
  return temp;
}

// Made once; removed with its files when the program ends.
class TRunFolder {
 public:
  TRunFolder() {
    std::string pattern = ParentOfRunFolder() + "/nurasera-XXXXXX";
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  // Only by the process that made it: a forked child that ends leaves it.
  ~TRunFolder() {
    std::error_code ec;
    if (!path_.empty() && ::getpid() == owner_) std::filesystem::remove_all(path_, ec);
  }
  TRunFolder(const TRunFolder&) = delete;
  TRunFolder& operator=(const TRunFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  pid_t owner_ = ::getpid();
};

}  // namespace

std::string PrivateRunFolder() {
  static const TRunFolder folder;
  return folder.Path();
}

bool WriteNewPrivateFile(const std::string& nativePath, std::string_view bytes) {
  const int fd = ::open(nativePath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = WriteToDescriptor(fd, bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok) ::unlink(nativePath.c_str());
  return ok;
}

}  // namespace nura
