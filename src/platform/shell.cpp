#include "platform/shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/desktop_entry_text.h"
#include "platform/file_io.h"
#include "platform/system_info.h"

namespace nura {
namespace fs = std::filesystem;

namespace {

bool IsRealFolder(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(fs::symlink_status(p, ec));
}

bool ExistsNoFollow(const fs::path& p) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(p, ec));
}

// Where a copy or move of `from` to `to` lands: inside `to` when that is
// an existing folder.
fs::path Destination(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (fs::is_directory(to, ec)) return to / from.filename();
  return to;
}

}  // namespace

// Both paths are made absolute first: the canonical form of a relative
// path that does not exist yet would stay relative and never compare.
bool IsSameOrBelow(const std::string& outer, const std::string& inner) {
  std::error_code ec;
  const fs::path a = fs::weakly_canonical(fs::absolute(outer, ec), ec);
  if (ec) return true;
  const fs::path b = fs::weakly_canonical(fs::absolute(inner, ec), ec);
  if (ec) return true;
  auto j = b.begin();
  for (auto i = a.begin(); i != a.end(); ++i, ++j) {
    if (i->empty()) continue;
    if (j == b.end() || *i != *j) return false;
  }
  return true;
}

namespace {

// A regular file is copied as a save (the old one stays until the copy is
// whole); a folder is made, with its permissions, and filled; anything
// else (a link) is copied as it is.
bool CopyEntry(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(from, ec);
  if (fs::is_regular_file(status)) return CopyFileAtomically(from.string(), to.string());
  if (!fs::is_directory(status)) {
    fs::copy(from, to, fs::copy_options::overwrite_existing | fs::copy_options::copy_symlinks, ec);
    return !ec;
  }
  if (!fs::is_directory(to, ec) && !fs::create_directory(to, from, ec)) return false;
  fs::directory_iterator entry(from, ec);
  for (; !ec && entry != fs::directory_iterator(); entry.increment(ec)) {
    if (!CopyEntry(entry->path(), to / entry->path().filename())) return false;
  }
  return !ec;
}

bool CopyTree(const fs::path& from, const fs::path& to) {
  if (!ExistsNoFollow(from)) return false;
  // A folder copied into itself would grow without end.
  if (IsRealFolder(from) && IsSameOrBelow(from.string(), to.string())) return false;
  return CopyEntry(from, to);
}

// Percent-encoding of a path for a URL or a .trashinfo record.
std::string EncodePath(const std::string& path) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
        c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string LocalTimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
  return text;
}

// Creates the .trashinfo record under a name free in both trash folders;
// returns that name, empty on failure.
std::string ReserveTrashName(const fs::path& files, const fs::path& info, const fs::path& original) {
  const std::string name = original.filename().string();
  const std::string record = "[Trash Info]\nPath=" + EncodePath(original.string()) +
                             "\nDeletionDate=" + LocalTimeStamp() + "\n";
  for (int n = 1; n < 10000; ++n) {
    const std::string candidate = n == 1 ? name : name + "." + std::to_string(n);
    if (ExistsNoFollow(files / candidate)) continue;
    const std::string infoPath = (info / (candidate + ".trashinfo")).string();
    const int fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return "";
    }
    const bool written = ::write(fd, record.data(), record.size()) == static_cast<ssize_t>(record.size());
    ::close(fd);
    if (!written) {
      ::unlink(infoPath.c_str());
      return "";
    }
    return candidate;
  }
  return "";
}

bool EqualsIgnoreAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

// Text of a desktop-entry value: backslashes, line ends and tabs escaped.
std::string DesktopValue(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out;
}

// One argument of an Exec line, quoted as the desktop-entry rules ask.
std::string ExecQuote(const std::string& arg) {
  std::string out = "\"";
  for (char c : arg) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    if (c == '%') out += '%';
    out += c;
  }
  return out + "\"";
}

bool CopyPath(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return false;
  return CopyTree(from, Destination(from, to));
}

bool CopyNestsInItself(const std::string& from, const std::string& to) {
  return IsRealFolder(from) && IsSameOrBelow(from, Destination(from, to).string());
}

bool MovePath(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty() || !ExistsNoFollow(from)) return false;
  const fs::path dest = Destination(from, to);
  if (IsRealFolder(from) && IsSameOrBelow(from, dest.string())) return false;
  if (::rename(from.c_str(), dest.c_str()) == 0) return true;
  if (errno != EXDEV) return false;
  return CopyTree(from, dest) && RemovePath(from);
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return false;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without the flag: checked first, then renamed.
  if (ExistsNoFollow(to)) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RemovePath(const std::string& path) {
  if (path.empty() || !ExistsNoFollow(path)) return false;
  std::error_code ec;
  if (IsRealFolder(path)) return fs::remove_all(path, ec) != static_cast<std::uintmax_t>(-1) && !ec;
  return fs::remove(path, ec) && !ec;
}

bool MoveToTrash(const std::string& path) {
  if (path.empty() || !ExistsNoFollow(path)) return false;
  std::error_code ec;
  const fs::path original = fs::absolute(path, ec).lexically_normal();
  if (ec || !original.has_filename()) return false;
  const std::string trash = SystemFolderPath(SystemFolder::RecycleBin);
  if (trash.empty()) return false;
  const fs::path files = fs::path(trash).parent_path();
  const fs::path info = files.parent_path() / "info";
  fs::create_directories(files, ec);
  fs::create_directories(info, ec);
  const std::string name = ReserveTrashName(files, info, original);
  if (name.empty()) return false;
  const fs::path target = files / name;
  bool moved = ::rename(original.c_str(), target.c_str()) == 0;
  if (!moved && errno == EXDEV) moved = CopyTree(original, target) && RemovePath(original);
  if (!moved) fs::remove(info / (name + ".trashinfo"), ec);
  return moved;
}

bool WriteDesktopLink(const std::string& linkFile, const std::string& target,
                      const std::string& arguments, LinkShowState show,
                      const std::string& workingFolder) {
  if (linkFile.empty() || target.empty()) return false;
  std::error_code ec;
  const fs::path absolute = fs::absolute(target, ec);
  if (ec) return false;
  const bool program = fs::is_regular_file(absolute, ec) && ::access(absolute.c_str(), X_OK) == 0;
  std::string entry = "[Desktop Entry]\nVersion=1.0\n";
  entry += "Name=" + DesktopValue(absolute.stem().string()) + "\n";
  if (program) {
    entry += "Type=Application\nExec=" + DesktopValue(ExecQuote(absolute.string()));
    if (!arguments.empty()) entry += " " + DesktopValue(arguments);
    entry += "\n";
    if (!workingFolder.empty()) entry += "Path=" + DesktopValue(workingFolder) + "\n";
    entry += "Terminal=false\n";
    if (show == LinkShowState::Minimized) entry += "X-Nurasera-Show=minimized\n";
    if (show == LinkShowState::Maximized) entry += "X-Nurasera-Show=maximized\n";
  } else {
    entry += "Type=Link\nURL=file://" + DesktopValue(EncodePath(absolute.string())) + "\n";
  }
  if (!WriteFileAtomically(linkFile, entry)) return false;
  ::chmod(linkFile.c_str(), 0755);  // desktops run only trusted (executable) entries
  return true;
}

int32_t GetFileAttributeBits(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return -1;
  int32_t bits = 0;
  if (S_ISDIR(st.st_mode)) bits |= kAttrDirectory;
  if (!(st.st_mode & S_IWUSR)) bits |= kAttrReadOnly;
  const std::string name = fs::path(path).lexically_normal().filename().string();
  if (name.size() > 1 && name[0] == '.' && name != "..") bits |= kAttrHidden;
  if (!(bits & kAttrDirectory)) bits |= kAttrArchive;
  return bits;
}

bool SetFileAttributeBits(const std::string& path, int32_t bits) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  if (bits & kAttrReadOnly) {
    mode &= static_cast<mode_t>(~(S_IWUSR | S_IWGRP | S_IWOTH));
  } else {
    mode |= S_IWUSR;
  }
  return ::chmod(path.c_str(), mode) == 0;
}

std::string ExpandLongPathName(const std::string& path) {
  if (path.empty()) return "";
  std::error_code ec;
  const fs::path full = fs::absolute(path, ec).lexically_normal();
  if (ec) return path;
  fs::path built = full.root_path();
  for (const fs::path& part : full.relative_path()) {
    fs::path next = built / part;
    if (!part.empty() && !ExistsNoFollow(next)) {
      fs::directory_iterator it(built, ec), end;
      for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (EqualsIgnoreAsciiCase(name, part.string())) {
          next = built / name;
          break;
        }
      }
      ec.clear();
    }
    built = next;
  }
  std::string result = built.string();
  const bool folderForm = !path.empty() && (path.back() == '/');
  if (folderForm && (result.empty() || result.back() != '/')) result += '/';
  return result;
}

}  // namespace nura
