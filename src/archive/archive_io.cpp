#include "archive/archive_io.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdint>
#include <filesystem>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <streambuf>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "archive/cab_writer.h"
#include "archive/lha_writer.h"
#include "support/dir_util.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"
#include "platform/text_hash.h"

namespace nura {
namespace fs = std::filesystem;

// ---- locale ----

namespace {

locale_t Utf8Locale() {
  static const locale_t locale = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (!l) l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
    return l;
  }();
  return locale;
}

}  // namespace

TUtf8Locale::TUtf8Locale() {
  if (locale_t l = Utf8Locale()) previous_ = uselocale(l);
}

TUtf8Locale::~TUtf8Locale() {
  if (previous_) uselocale(previous_);
}

// ---- reading ----

TArchiveReader::TArchiveReader(TBackendFormat format) : format_(format) {
  archive_ = archive_read_new();
  struct archive* a = archive_;
  switch (format) {
    case TBackendFormat::Lha:
      archive_read_support_format_lha(a);
      archive_read_set_format_option(a, "lha", "hdrcharset", "CP932");
      break;
    case TBackendFormat::Zip:
      archive_read_support_format_zip(a);
      archive_read_set_format_option(a, "zip", "hdrcharset", "CP932");
      break;
    case TBackendFormat::Cab:
      archive_read_support_format_cab(a);
      archive_read_set_format_option(a, "cab", "hdrcharset", "CP932");
      break;
    case TBackendFormat::Tar:
      archive_read_support_format_tar(a);
      archive_read_support_format_cpio(a);
      archive_read_support_format_ar(a);
      archive_read_support_filter_gzip(a);
      archive_read_support_filter_bzip2(a);
      archive_read_support_filter_compress(a);
      archive_read_support_filter_rpm(a);
      break;
    case TBackendFormat::Rar:
      archive_read_support_format_rar(a);
      archive_read_support_format_rar5(a);
      break;
    case TBackendFormat::SevenZip:
      archive_read_support_format_7zip(a);
      break;
  }
}

TArchiveReader::~TArchiveReader() { archive_read_free(archive_); }

bool TArchiveReader::Open(const std::string& nativePath) {
  return archive_read_open_filename(archive_, nativePath.c_str(), 65536) == ARCHIVE_OK;
}

int TArchiveReader::Next(TMember& member) {
  const int r = archive_read_next_header(archive_, &entry_);
  if (r == ARCHIVE_EOF) return 0;
  if (r < ARCHIVE_WARN) return -1;
  const char* name = archive_entry_pathname(entry_);
  member.name = name ? name : "";
  member.mtime = archive_entry_mtime(entry_);
  member.folder = archive_entry_filetype(entry_) == AE_IFDIR;
  member.size = archive_entry_size_is_set(entry_) ? static_cast<uint64_t>(archive_entry_size(entry_)) : 0;
  return 1;
}

bool TArchiveReader::ReadData(std::string& data, size_t limit) {
  data.clear();
  return ReadBlocks([&](std::string_view block) {
    data.append(block.substr(0, limit - data.size()));
    return data.size() < limit;
  });
}

bool TArchiveReader::ReadBlocks(const TDataTake& take) {
  static const std::string zeros(1 << 16, '\0');
  const void* block;
  size_t size;
  la_int64_t offset;
  uint64_t at = 0;  // the bytes handed on so far
  for (;;) {
    const int r = archive_read_data_block(archive_, &block, &size, &offset);
    if (r == ARCHIVE_EOF) return true;
    if (r < ARCHIVE_WARN) return false;
    if (offset < 0) continue;
    const uint64_t from = static_cast<uint64_t>(offset);
    for (; at < from; at += std::min<uint64_t>(zeros.size(), from - at)) {
      if (!take(std::string_view(zeros).substr(0, std::min<uint64_t>(zeros.size(), from - at)))) return true;
    }
    if (from + size <= at) continue;  // bytes handed on already
    const std::string_view bytes(static_cast<const char*>(block), size);
    const bool more = take(bytes.substr(at - from));
    at = from + size;
    if (!more) return true;
  }
}

bool TArchiveReader::SizeKnown() const { return entry_ && archive_entry_size_is_set(entry_); }

std::string TArchiveReader::Error() const {
  const char* text = archive_error_string(archive_);
  return text ? text : "";
}

int TArchiveReader::FilterCode() const {
  return archive_filter_count(archive_) > 0 ? archive_filter_code(archive_, 0) : 0;
}

// ---- members of an existing archive ----

struct TArchiveMembers::TState {
  static constexpr int64_t kPast = INT64_MAX;  // the walk is at the end

  TBackendFormat format;
  std::string path;
  std::unique_ptr<TArchiveReader> reader;
  int64_t index = -1;  // of the member the walk stands at
  bool read = false;   // its data was read

  bool Open() {
    reader = std::make_unique<TArchiveReader>(format);
    index = -1;
    read = false;
    return reader->Open(path);
  }
  int Next(TMember& member) {
    const int r = reader->Next(member);
    index = r == 1 ? index + 1 : kPast;
    read = false;
    return r;
  }
  // The walk at member `n` with its data unread.
  bool SeekTo(int64_t n) {
    if ((index > n || (index == n && read)) && !Open()) return false;
    TMember member;
    while (index < n) {
      if (Next(member) != 1) return false;
    }
    return true;
  }
};

TArchiveMembers::TArchiveMembers(TBackendFormat format, std::string nativePath)
    : state_(std::make_shared<TState>()) {
  state_->format = format;
  state_->path = std::move(nativePath);
}

TArchiveMembers::~TArchiveMembers() = default;

bool TArchiveMembers::Open() { return state_->Open(); }

int TArchiveMembers::Next(TMember& member) { return state_->Next(member); }

bool TArchiveMembers::SizeKnown() const { return state_->reader->SizeKnown(); }

std::string TArchiveMembers::Error() const { return state_->reader->Error(); }

TDataBlocks TArchiveMembers::Blocks() const {
  return [state = state_, n = state_->index](const TDataTake& take) {
    if (!state->SeekTo(n)) return false;
    state->read = true;
    return state->reader->ReadBlocks(take);
  };
}

// ---- names ----

namespace {

enum class TNameCheck { Safe, Skip, Refused };

std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t slash = path.find('/', start);
    const size_t end = slash == std::string::npos ? path.size() : slash;
    parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool HasDriveLetter(const std::string& n) {
  return n.size() >= 2 && n[1] == ':' &&
         ((n[0] >= 'A' && n[0] <= 'Z') || (n[0] >= 'a' && n[0] <= 'z'));
}

// The member's path below the destination, its components taken in place
// (this runs for every member).
TNameCheck CheckMemberName(const std::string& name, std::string& relative) {
  if (name.empty()) return TNameCheck::Skip;
  if (name[0] == '/' || name[0] == '\\' || HasDriveLetter(name)) return TNameCheck::Refused;
  relative.clear();
  for (size_t start = 0; start <= name.size();) {
    const size_t end = std::min(name.find_first_of("/\\", start), name.size());
    const std::string_view part(name.data() + start, end - start);
    start = end + 1;
    if (part == "..") return TNameCheck::Refused;
    if (part.empty() || part == ".") continue;
    if (!relative.empty()) relative += '/';
    relative += part;
  }
  return relative.empty() ? TNameCheck::Skip : TNameCheck::Safe;
}

// A symbolic link's target, taken from the link's folder, must stay in
// the destination. ".." may only climb at the start of the target, so it
// never climbs back out of a link that the target passes through.
bool LinkStaysInside(const std::string& relative, std::string target) {
  for (char& c : target) {
    if (c == '\\') c = '/';
  }
  if (target.empty() || target[0] == '/' || HasDriveLetter(target)) return false;
  std::vector<std::string> parts = Components(relative);
  parts.pop_back();
  bool descended = false;
  for (const std::string& part : Components(target)) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (parts.empty() || descended) return false;
      parts.pop_back();
    } else {
      parts.push_back(part);
      descended = true;
    }
  }
  return true;
}

std::string SlashedSjis(const std::string& sjis) {
  std::string out = sjis;
  for (size_t i = 0; i < out.size(); ++i) {
    if (IsSjisLead(static_cast<unsigned char>(out[i])) && i + 1 < out.size()) ++i;
    else if (out[i] == '\\') out[i] = '/';
  }
  return out;
}

}  // namespace

bool MemberSelected(const std::vector<std::string>& patterns, const std::string& relative) {
  if (patterns.empty()) return true;
  const std::string name = Utf8ToSjis(relative);
  const size_t slash = name.rfind('/');
  const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  for (const std::string& pattern : patterns) {
    const std::string s = SlashedSjis(pattern);
    if (MatchFileName(s, name)) return true;
    if (s.find('/') == std::string::npos && MatchFileName(s, base)) return true;
  }
  return false;
}

namespace {

// "name_1.ext", "name_2.ext" ... beside the file: the first that is free.
std::string NumberedName(const fs::path& path) {
  const std::string stem = path.stem().string(), ext = path.extension().string();
  for (int n = 1;; ++n) {
    fs::path candidate = path.parent_path() / (stem + "_" + std::to_string(n) + ext);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate.string();
  }
}

void AddMessage(std::string& messages, const std::string& utf8) {
  messages += Utf8ToSjis(utf8) + "\r\n";
}

// The native path of `relative` below `folder`, as fs::path's "/" joins them.
std::string Below(const std::string& folder, std::string_view relative) {
  std::string path;
  path.reserve(folder.size() + 1 + relative.size());
  path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  path += relative;
  return path;
}

// True when a folder on the way from the destination to the member is a
// symbolic link (made by an earlier member or found there).
bool PassesThroughLink(const std::string& root, const std::string& relative) {
  size_t slash = relative.find('/');
  if (slash == std::string::npos) return false;
  std::string at = Below(root, "");
  const size_t base = at.size();
  for (; slash != std::string::npos; slash = relative.find('/', slash + 1)) {
    at.resize(base);
    at.append(relative, 0, slash);
    struct stat st {};
    if (::lstat(at.c_str(), &st) != 0) return false;
    if (S_ISLNK(st.st_mode)) return true;
  }
  return false;
}

// The process's umask (read by setting it and back).
mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// A folder that the extraction made for a folder member. Its permissions
// and times are given when the extraction ends, deepest first: the files
// written into it change its time, and permissions without write access
// would keep them out.
struct TMadeFolder {
  std::string path;
  mode_t mode = 0;
  bool madeWithOther = false;  // made with other permissions than `mode`
  struct timespec times[2] = {};
};

// Makes the folder of a folder member that is missing where its parent is
// there, as the disk writer would: its permissions under the umask, with
// room for its files until the end. False when it is not made (the disk
// writer then makes it).
bool MakeFolderMember(const std::string& full, struct archive_entry* entry, mode_t mask,
                      std::vector<TMadeFolder>& made) {
  TMadeFolder folder{full, static_cast<mode_t>(archive_entry_perm(entry) & 0777 & ~mask)};
  const mode_t making = (folder.mode | 0700) & 0775;
  if (::mkdir(full.c_str(), making) != 0) return false;
  folder.madeWithOther = making != folder.mode;
  folder.times[0] = archive_entry_atime_is_set(entry)
                        ? timespec{archive_entry_atime(entry), archive_entry_atime_nsec(entry)}
                        : timespec{0, UTIME_NOW};
  folder.times[1] = archive_entry_mtime_is_set(entry)
                        ? timespec{archive_entry_mtime(entry), archive_entry_mtime_nsec(entry)}
                        : timespec{0, UTIME_NOW};
  made.push_back(std::move(folder));
  return true;
}

void FinishMadeFolders(std::vector<TMadeFolder>& made) {
  std::sort(made.begin(), made.end(), [](const TMadeFolder& a, const TMadeFolder& b) { return a.path > b.path; });
  for (const TMadeFolder& folder : made) {
    // A folder taken back after a failure is gone; nothing else is there.
    struct stat st {};
    if (::lstat(folder.path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
    // Only then, so that a set-group-id bit the folder took from its
    // parent stays.
    if (folder.madeWithOther) ::chmod(folder.path.c_str(), folder.mode);
    ::utimensat(AT_FDCWD, folder.path.c_str(), folder.times, AT_SYMLINK_NOFOLLOW);
  }
}

// True when the symbolic link at `relative` would lead, as the folders on
// disk resolve now, outside the destination.
bool ResolvesOutside(const fs::path& root, const std::string& relative, const std::string& target) {
  std::error_code ec;
  const fs::path resolved = fs::weakly_canonical((root / relative).parent_path() / target, ec);
  if (ec) return true;
  const auto rel = resolved.lexically_relative(root);
  return rel.empty() || *rel.begin() == "..";
}

// What to do with a member whose target exists: false skips it. The
// target is looked up as `name` at the folder descriptor `at` when given.
bool PrepareTarget(const TExtractRequest& request, const TMember& member, std::string& full,
                   std::string& messages, int at = AT_FDCWD, const char* name = nullptr) {
  struct stat st {};
  if (member.folder || ::fstatat(at, name ? name : full.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return true;
  switch (request.overwrite) {
    case TOverwrite::Skip:
      AddMessage(messages, member.name + ": 既にあるので展開しませんでした。");
      return false;
    case TOverwrite::Rename:
      full = NumberedName(full);
      return true;
    case TOverwrite::Newer:
      if (S_ISREG(st.st_mode) && st.st_mtime >= member.mtime) {
        AddMessage(messages, member.name + ": 同じか新しいファイルがあるので展開しませんでした。");
        return false;
      }
      break;
    case TOverwrite::Ask:
      if (!request.askOverwrite || !request.askOverwrite(member.name)) {
        AddMessage(messages, member.name + ": 既にあるので展開しませんでした。");
        return false;
      }
      break;
    case TOverwrite::Always:
      break;
  }
  // A link in the way is replaced, never written through.
  if (S_ISLNK(st.st_mode)) ::unlink(full.c_str());
  return true;
}

// The destination folder, made when missing, without links in its path.
bool OpenDestination(const TExtractRequest& request, fs::path& root, std::string& messages) {
  std::error_code ec;
  const fs::path wanted = request.destination.empty() ? fs::current_path(ec) : fs::path(request.destination);
  fs::create_directories(wanted, ec);
  root = fs::canonical(wanted, ec);
  if (!ec && fs::is_directory(root, ec)) return true;
  AddMessage(messages, "展開先のフォルダ \"" + wanted.string() + "\" を作れません。");
  return false;
}

// Tells the progress receiver about the member; true when it cancels.
bool ReportMember(const TExtractRequest& request, const TMember& member, const std::string& full) {
  if (!request.progress) return false;
  TExtractingInfo info;
  info.dwFileSize = static_cast<uint32_t>(member.size);
  CopyNameField(info.szSourceFileName, sizeof info.szSourceFileName, Utf8ToSjis(member.name));
  CopyNameField(info.szDestFileName, sizeof info.szDestFileName, Utf8ToSjis(full));
  return request.progress->Notify(kArcExtractBegin, info);
}

// One staged member into place; the result code of a refusal or failure.
int PlaceStagedMember(const TExtractRequest& request, const fs::path& root, const std::string& staging,
                      const TStagedMember& staged, std::string& messages, bool& cancelled) {
  const TMember& member = staged.member;
  std::string relative;
  const TNameCheck check = CheckMemberName(member.name, relative);
  if (check == TNameCheck::Skip || !MemberSelected(request.patterns, relative)) return kArcOk;
  if (check == TNameCheck::Refused) {
    AddMessage(messages, member.name + ": 展開先の外を指す名前なので展開しませんでした。");
    return kArcErrorNotFileName;
  }
  if (request.junkPaths) {
    if (member.folder) return kArcOk;
    relative = relative.substr(relative.rfind('/') + 1);
  }
  const std::string source = staging + "/" + staged.staged;
  struct stat st {};
  const bool plain = ::lstat(source.c_str(), &st) == 0 &&
                     (member.folder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode) && st.st_nlink == 1);
  if (!plain || PassesThroughLink(staging, staged.staged) || PassesThroughLink(root.string(), relative)) {
    AddMessage(messages, member.name + ": 展開先の外を指すか特殊なファイルなので展開しませんでした。");
    return kArcErrorNotFileName;
  }
  std::string full = (root / relative).string();
  std::error_code ec;
  if (member.folder) {
    fs::create_directories(full, ec);
    return kArcOk;
  }
  if (!PrepareTarget(request, member, full, messages)) return kArcOk;
  if (ReportMember(request, member, full)) {
    cancelled = true;
    return kArcErrorUserCancel;
  }
  fs::create_directories(fs::path(full).parent_path(), ec);
  if (!ReplaceFileWith(source, full)) {
    AddMessage(messages, member.name + ": 書き込めません。");
    return kArcErrorCannotWrite;
  }
  return kArcOk;
}

// The regular members of one extraction, each saved beside its target and
// renamed into place only when every byte is on disk, so a failed write
// keeps the old file. The file gets the member's permissions (without
// set-id bits, under the umask) and time. On file systems that tell every
// name apart (ext2/3/4, btrfs, tmpfs, in a folder without case folding)
// the saved files wait in a group: one flush of the file system puts the
// bytes of the whole group on disk before any of them is renamed, where a
// flush per file cost a disk round trip per member. The caller puts the
// group in place before any member that could see that it is not there
// yet, so the extraction sees the disk as if each member had been put in
// place at once. A folder member whose folder is missing is made while the
// group waits (later members are saved into it); when the group then
// fails, what the members after the failed one made is taken back.
class TMemberSaves {
 public:
  TMemberSaves() : umask_(CurrentUmask()) {}
  ~TMemberSaves() {
    std::string messages;
    int result = kArcOk;
    PutInPlace(messages, result);
    ForgetFolders();
  }
  TMemberSaves(const TMemberSaves&) = delete;
  TMemberSaves& operator=(const TMemberSaves&) = delete;

  // Whether the file `full`, or a folder on its way below `root`, waits in
  // the group.
  bool Waiting(const std::string& root, const std::string& full) {
    if (group_.empty()) return false;
    const TFolder& folder = FolderOf(NativeFolderPart(full), false);
    if (folder.exists && waiting_.count(Key(folder, NativeNamePart(full)))) return true;
    for (size_t at = full.find('/', root.size() + 1); at != std::string::npos; at = full.find('/', at + 1)) {
      if (paths_.count(std::string_view(full).substr(0, at))) return true;
    }
    return false;
  }

  // True when nothing can be at `full`: its folder was missing when this
  // extraction came to it, and since then only this extraction's files and
  // folders went in, none by that name.
  bool Absent(const std::string& full) const {
    return !diskWriterUsed_ && made_.count(NativeFolderPart(full)) != 0 && made_.count(full) == 0 &&
           saved_.count(full) == 0;
  }
  // The destination was empty as the extraction began: it counts as made.
  void NoteEmptyDestination(const std::string& root) {
    std::error_code ec;
    if (fs::is_empty(root, ec) && !ec) made_.insert(root);
  }
  mode_t Umask() const { return umask_; }
  // A member goes to the disk writer, which may put anything anywhere.
  void NoteDiskWriter() { diskWriterUsed_ = true; }

  // What is known of the folders is read again after a member other than a
  // regular file is extracted.
  void ForgetFolders() {
    for (const auto& [name, folder] : folders_) {
      if (folder.fd >= 0) ::close(folder.fd);
    }
    folders_.clear();
    heldFolders_ = 0;
  }

  // As TFolderDescriptor::At for the file `full`, with the descriptor of
  // its folder when that is known and held open.
  int At(const std::string& full, const char*& name) {
    const auto known = folders_.find(NativeFolderPart(full));
    name = full.c_str();
    if (known == folders_.end() || known->second.fd < 0) return AT_FDCWD;
    name += full.size() - NativeNamePart(full).size();
    return known->second.fd;
  }

  // Saves the current member of `reader` beside `full`; false with the
  // reason in `error`. `name` and the length of `messages` are kept for a
  // failure when the group is put in place.
  bool Save(TArchiveReader& reader, const std::string& full, const std::string& name,
            const std::string& messages, std::string& error) {
    const std::string_view folderName = NativeFolderPart(full);
    const size_t nameAt = full.size() - NativeNamePart(full).size();
    TFolder& held = HeldFolder(folderName);
    if (held.exists && held.group != groups_) NoteTimes(held, folderName);
    const TFolder folder = held;
    // A folder this extraction made holds no temporaries but its own.
    if (made_.count(folderName) == 0) {
      if (folder.exists) RemoveStaleTemporariesOf(full, folder.device, folder.inode);
      else RemoveStaleTemporariesOf(full);
    } else {
      saved_.insert(full);
    }
    std::string temp = full + ".tmpXXXXXX";
    struct archive_entry* entry = reader.Entry();
    const mode_t mode = archive_entry_perm(entry) & 0777 & ~umask_;
    // Where the umask alone shapes a new file's permissions, the file is
    // made with them; elsewhere it is made private and given them after.
    const int fd = folder.umaskShapes ? CreateTemporary(folder.fd, temp, nameAt, mode)
                                      : ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
      error = std::strerror(errno);
      return false;
    }
    int failure = 0;
    // The file lies on its folder's file system.
    struct stat st {};
    st.st_dev = folder.device;
    if (!folder.exists && ::fstat(fd, &st) != 0) failure = errno;
    // The first file of a file system stays open for that file system's
    // flush, which reports the write errors since it was opened (also when
    // the file itself is given up).
    const bool handle = failure == 0 && devices_.emplace(st.st_dev, fd).second;
    const bool read = failure == 0 && reader.ReadBlocks([&](std::string_view block) {
      if (WriteToDescriptor(fd, block)) {
        bytes_ += block.size();
        return true;
      }
      failure = errno;
      return false;
    });
    const struct timespec times[2] = {{0, UTIME_NOW}, {static_cast<time_t>(archive_entry_mtime(entry)), 0}};
    if (read && failure == 0 && ((!folder.umaskShapes && ::fchmod(fd, mode) != 0) || ::futimens(fd, times) != 0))
      failure = errno;
    if (!handle && ::close(fd) != 0 && failure == 0) failure = errno;
    if (!read || failure != 0) {
      error = failure != 0 ? std::strerror(failure) : reader.Error();
      ::unlink(temp.c_str());
      return false;
    }
    if (folder.exists) waiting_.emplace(Key(folder, NativeNamePart(full)));
    paths_.insert(full);
    group_.push_back({std::move(temp), nameAt, folder.fd, name, messages.size(), handle ? fd : -1});
    alone_ = !folder.grouped;
    return true;
  }

  // Whether the group is to be put in place now: it is large, or the last
  // file lies where files do not wait.
  bool Due() const {
    return alone_ || group_.size() >= kGroupFiles || bytes_ >= kGroupBytes || undo_.size() >= kGroupFiles;
  }

  // Whether the folder `full` is missing with only folders on its way, so
  // that a folder member making it now changes nothing already there; then
  // the folders to be made are noted for a failure of the group.
  bool NoteMissing(const std::string& full) {
    std::vector<std::string> missing;
    std::string_view at = full;
    struct stat st {};
    while (::lstat(std::string(at).c_str(), &st) != 0) {
      if (errno != ENOENT || at.find('/') == std::string_view::npos) return false;
      missing.emplace_back(at);
      at = NativeFolderPart(at);
    }
    if (missing.empty() || !S_ISDIR(st.st_mode)) return false;
    for (const std::string& folder : missing) {
      const auto known = folders_.find(folder);
      if (known != folders_.end() && !known->second.exists) folders_.erase(known);
      made_.insert(folder);
    }
    if (group_.empty()) return true;  // nothing before it can fail
    std::reverse(missing.begin(), missing.end());
    undo_.push_back({group_.size(), std::move(missing), std::string(at), {st.st_atim, st.st_mtim}});
    return true;
  }

  // Flushes the waiting files to disk and renames them into place, in the
  // order saved. On a failure the messages of the members after the failed
  // one are taken back (an extraction that put each in place at once would
  // not have come to them), the failure is reported, the files not in
  // place are removed and the result is kArcErrorCannotWrite: false.
  bool PutInPlace(std::string& messages, int& result) {
    int failure = 0;
    // A file alone is flushed by itself.
    const bool alone = group_.size() == 1 && group_[0].fd >= 0;
    for (const auto& [device, fd] : devices_) {
      const bool synced = group_.empty() || (alone ? ::fsync(fd) == 0 : ::syncfs(fd) == 0);
      if (!synced && failure == 0) failure = errno;
    }
    if (group_.empty()) {
      CloseDevices();
      return true;
    }
    std::set<std::string, std::less<>> folders;  // by name, those not held open
    std::set<int> held;
    std::string target;
    size_t placed = 0;
    for (; placed < group_.size() && failure == 0; ++placed) {
      const TWaiting& w = group_[placed];
      const size_t from = w.folder >= 0 ? w.nameAt : 0;
      target.assign(w.temp, from, w.temp.size() - kTempSuffix - from);
      const char* temp = w.temp.c_str() + from;
      if (::renameat(w.folder >= 0 ? w.folder : AT_FDCWD, temp, w.folder >= 0 ? w.folder : AT_FDCWD,
                     target.c_str()) != 0) {
        failure = errno;
        break;
      }
      const std::string_view folder = NativeFolderPart(w.temp);
      if (w.folder >= 0) held.insert(w.folder);
      else if (folders.find(folder) == folders.end()) folders.emplace(folder);
    }
    // The renames reach the disk with their folders, or where they went to
    // many folders, with a flush of each file system.
    if (held.size() + folders.size() > kFolderFlushes) {
      for (const auto& [device, fd] : devices_) ::syncfs(fd);
      held.clear();
      folders.clear();
    }
    CloseDevices();
    for (const int fd : held) ::fsync(fd);
    for (const std::string& folder : folders) {
      const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0) continue;
      ::fsync(fd);
      ::close(fd);
    }
    if (failure != 0) {
      const TWaiting& w = group_[placed < group_.size() ? placed : 0];
      messages.resize(w.messages);
      AddMessage(messages, w.name + ": 書き込めません。" + std::strerror(failure));
      result = kArcErrorCannotWrite;
      for (size_t i = placed; i < group_.size(); ++i) ::unlink(group_[i].temp.c_str());
      TakeBack(placed);
    }
    group_.clear();
    undo_.clear();
    ++groups_;
    waiting_.clear();
    paths_.clear();
    bytes_ = 0;
    alone_ = false;
    return failure == 0;
  }

 private:
  static constexpr size_t kGroupFiles = 1000;
  static constexpr uint64_t kGroupBytes = uint64_t{64} << 20;
  static constexpr size_t kTempSuffix = 10;  // ".tmpXXXXXX"
  static constexpr int kHeldFolders = 64;    // folders held open at most
  static constexpr size_t kFolderFlushes = 8;  // folders flushed one by one at most

  struct TWaiting {
    std::string temp;  // the target's path with kTempSuffix more
    size_t nameAt;     // where its name starts in it
    int folder;        // the descriptor of its folder, else -1
    std::string name;  // the member's
    size_t messages;   // the length of the messages when it was saved
    int fd;            // open as its file system's handle, else -1
  };
  // What a member after the first `files` of the group changed in a
  // folder: the folders it made there (outermost first) and the folder's
  // times before.
  struct TUndo {
    size_t files;
    std::vector<std::string> made;
    std::string folder;
    struct timespec times[2];
  };
  struct TFolder {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    bool grouped = false;      // files in it may wait
    bool umaskShapes = false;  // a new file's permissions are those asked for under the umask
    int fd = -1;               // held open, for the files saved in it
    uint64_t group = 0;        // the last group that saved a file in it
  };
  using TNames = TTextViewSet;  // looked up by a part of another text

  // A file by its folder's identity, so a folder reached by two paths (a
  // bind mount) holds one file of a name. Built in one buffer, which the
  // look-ups use as it is.
  const std::string& Key(const TFolder& folder, std::string_view name) {
    key_.assign(reinterpret_cast<const char*>(&folder.device), sizeof folder.device);
    key_.append(reinterpret_cast<const char*>(&folder.inode), sizeof folder.inode);
    key_.append(name);
    return key_;
  }

  // The folder of a file to be saved, made first when missing, and held
  // open when it can be. Only a folder on the way to a member that passed
  // the checks is held: one looked up before (for Waiting) may have been
  // reached through a link that a later member replaced, and is read again
  // when it is not the folder now there.
  TFolder& HeldFolder(std::string_view name) {
    TFolder& folder = FolderOf(name, true);  // one of folders_ when it exists
    if (!folder.exists || folder.fd >= 0 || heldFolders_ >= kHeldFolders) return folder;
    const int fd = ::open(std::string(name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
      if (fd >= 0) ::close(fd);
      return folder;
    }
    if (st.st_dev != folder.device || st.st_ino != folder.inode) Read(fd, st, folder);
    folder.fd = fd;
    ++heldFolders_;
    return folder;
  }

  // The folder, made first when `make` (then held open when it can be).
  TFolder& FolderOf(std::string_view name, bool make) {
    const auto known = folders_.find(name);
    if (known != folders_.end() && (known->second.exists || !make)) return known->second;
    const std::string path(name);
    if (make) {
      NoteMissing(path);
      std::error_code ec;
      fs::create_directories(path, ec);
    }
    TFolder& folder = folders_[path];
    folder = TFolder{};
    const int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
      if (fd >= 0) ::close(fd);
      // Not known to exist: asked again when a member is saved into it.
      if (make) folders_.erase(path);
      if (!make) return folder;
      missing_ = TFolder{};
      return missing_;
    }
    Read(fd, st, folder);
    if (make && heldFolders_ < kHeldFolders) {
      folder.fd = fd;
      ++heldFolders_;
    } else {
      ::close(fd);
    }
    return folder;
  }

  void CloseDevices() {
    for (const auto& [device, fd] : devices_) ::close(fd);
    devices_.clear();
  }

  // The times of a folder that the group is to save a file in for the
  // first time, for a failure before that file.
  void NoteTimes(TFolder& folder, std::string_view name) {
    folder.group = groups_;
    if (group_.empty()) return;
    struct stat st {};
    const std::string path(name.empty() ? "." : name);
    if (folder.fd >= 0 ? ::fstat(folder.fd, &st) != 0 : ::stat(path.c_str(), &st) != 0) return;
    undo_.push_back({group_.size(), {}, path, {st.st_atim, st.st_mtim}});
  }

  // Takes back, latest first, what the members after group_[failed] did
  // to folders (their files are removed already): the folders they made,
  // which hold nothing else, and the times of the folders they wrote in.
  void TakeBack(size_t failed) {
    bool removed = false;
    for (auto undo = undo_.rbegin(); undo != undo_.rend() && undo->files > failed; ++undo) {
      for (auto made = undo->made.rbegin(); made != undo->made.rend(); ++made) removed |= ::rmdir(made->c_str()) == 0;
      ::utimensat(AT_FDCWD, undo->folder.c_str(), undo->times, AT_SYMLINK_NOFOLLOW);
    }
    // Folders held open may be gone.
    if (removed) ForgetFolders();
  }

  // What `folder` is, from its open descriptor and status.
  static void Read(int fd, const struct stat& st, TFolder& folder) {
    folder.exists = true;
    folder.device = st.st_dev;
    folder.inode = st.st_ino;
    struct statfs fsInfo {};
    long flags = 0;
    const bool tellsNamesApart =
        ::fstatfs(fd, &fsInfo) == 0 &&
        (fsInfo.f_type == EXT4_SUPER_MAGIC || fsInfo.f_type == BTRFS_SUPER_MAGIC ||
         fsInfo.f_type == TMPFS_MAGIC) &&
        (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 || errno == ENOTTY) && !(flags & FS_CASEFOLD_FL);
    folder.grouped = tellsNamesApart;
    // A default ACL would shape them instead.
    folder.umaskShapes = ::fgetxattr(fd, "system.posix_acl_default", nullptr, 0) < 0 &&
                         (errno == ENODATA || errno == EOPNOTSUPP);
  }

  // Makes the file `temp`, whose name ends in "XXXXXX", under a free name
  // with those six characters chosen as mkostemp chooses them, with
  // `mode` under the umask; its descriptor, or -1 with errno. It is made
  // as its name (from `nameAt`) in the folder `folder` when that is open.
  // Names are drawn from a generator seeded from the system's entropy,
  // seeded afresh after a name that is taken.
  int CreateTemporary(int folder, std::string& temp, size_t nameAt, mode_t mode) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const size_t at = temp.size() - 6;
    for (int attempt = 0; attempt < 100; ++attempt) {
      if (!seeded_) {
        std::random_device device;
        names_.seed((uint64_t{device()} << 32) | device());
        seeded_ = true;
      }
      uint64_t bits = names_();
      for (size_t i = at; i < temp.size(); ++i, bits /= 62) temp[i] = kLetters[bits % 62];
      const int fd = ::openat(folder >= 0 ? folder : AT_FDCWD, temp.c_str() + (folder >= 0 ? nameAt : 0),
                              O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
      if (fd >= 0 || errno != EEXIST) return fd;
      seeded_ = false;
    }
    return -1;
  }

  const mode_t umask_;
  std::vector<TWaiting> group_;
  std::vector<TUndo> undo_;  // in the order of the members
  uint64_t groups_ = 1;      // the groups begun
  TNames waiting_;  // the group's files by Key
  TNames paths_;    // and by path
  std::string key_;
  int heldFolders_ = 0;
  std::mt19937_64 names_;  // of the temporary files
  bool seeded_ = false;
  uint64_t bytes_ = 0;
  bool alone_ = false;
  std::map<dev_t, int> devices_;  // a file of the group on each file system
  TTextViewMap<TFolder> folders_;
  // The folders that were missing when this extraction came to them, and
  // a destination empty at its start.
  TNames made_;
  std::unordered_set<std::string> saved_;  // the files saved into them
  bool diskWriterUsed_ = false;
  TFolder missing_;  // what FolderOf gives for a folder it cannot make
};

}  // namespace

int PlaceStagedMembers(const TExtractRequest& request, const std::string& staging,
                       const std::vector<TStagedMember>& members, std::string& messages) {
  fs::path root;
  if (!OpenDestination(request, root, messages)) return kArcErrorMakeDirectory;
  int result = kArcOk;
  bool cancelled = false;
  for (const TStagedMember& member : members) {
    const int placed = PlaceStagedMember(request, root, staging, member, messages, cancelled);
    if (placed != kArcOk && (result == kArcOk || cancelled)) result = placed;
    if (cancelled) break;
  }
  return result;
}

bool SafeToExtract(const std::string& root, const std::string& relative, unsigned type, const char* symlinkTarget,
                   const std::string* hardlinkRelative, bool wayChecked) {
  if (!wayChecked && PassesThroughLink(root, relative)) return false;
  if (hardlinkRelative) {
    // Only to a regular file: a hard link to a symbolic link would move the
    // link to another folder, where its target means something else.
    struct stat st {};
    return !PassesThroughLink(root, *hardlinkRelative) &&
           ::lstat(Below(root, *hardlinkRelative).c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }
  if (type == AE_IFLNK) {
    return symlinkTarget && LinkStaysInside(relative, symlinkTarget) &&
           !ResolvesOutside(root, relative, symlinkTarget);
  }
  return type == AE_IFREG || type == AE_IFDIR;
}

std::string StoredMemberName(const std::string& utf8Path) {
  std::string_view name = utf8Path;
  if (HasDriveLetter(utf8Path)) name.remove_prefix(2);
  std::string stored;
  stored.reserve(name.size());
  for (size_t start = 0; start <= name.size();) {
    const size_t end = std::min(name.find_first_of("/\\", start), name.size());
    const std::string_view part = name.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == "." || part == "..") continue;
    if (!stored.empty()) stored += '/';
    stored += part;
  }
  return stored;
}

int ExtractArchive(TBackendFormat format, const TExtractRequest& request, std::string& messages) {
  TUtf8Locale locale;
  std::error_code ec;
  if (!fs::exists(request.archive, ec)) {
    AddMessage(messages, "書庫ファイル \"" + request.archive + "\" が見つかりません。");
    return kArcErrorNotFindArcFile;
  }
  TArchiveReader reader(format);
  if (!reader.Open(request.archive)) {
    AddMessage(messages, request.archive + ": " + reader.Error());
    return kArcErrorArcFileOpen;
  }
  fs::path root;
  if (!OpenDestination(request, root, messages)) return kArcErrorMakeDirectory;
  struct archive* disk = archive_write_disk_new();
  archive_write_disk_set_options(disk, ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                                           ARCHIVE_EXTRACT_SECURE_NODOTDOT);
  int result = kArcOk;
  bool first = true;
  TMember member;
  TMemberSaves saves;
  const std::string rootText = root.string();
  saves.NoteEmptyDestination(rootText);
  // The folder part of the last member whose way was found free of links.
  // Regular files and folders made here make no links, so it stays free
  // until a member of another kind is extracted.
  std::string linkFreeFolder;
  std::vector<TMadeFolder> madeFolders;
  // Members that would see a saved member missing wait for the group.
  const bool oneByOne = request.progress || request.overwrite == TOverwrite::Ask ||
                        request.overwrite == TOverwrite::Rename;
  for (;;) {
    const int next = reader.Next(member);
    if (next == 0) break;
    if (next < 0) {
      if (!saves.PutInPlace(messages, result)) break;
      AddMessage(messages, (first ? request.archive + ": " : "") + reader.Error());
      result = first ? kArcErrorNotArcFile : kArcErrorBrokenData;
      break;
    }
    first = false;
    std::string relative;
    const TNameCheck check = CheckMemberName(member.name, relative);
    if (check == TNameCheck::Skip) continue;
    if (check == TNameCheck::Refused) {
      AddMessage(messages, member.name + ": 展開先の外を指す名前なので展開しませんでした。");
      result = kArcErrorNotFileName;
      continue;
    }
    if (!MemberSelected(request.patterns, relative)) continue;
    if (request.junkPaths) {
      if (member.folder) continue;
      relative = relative.substr(relative.rfind('/') + 1);
    }
    struct archive_entry* entry = reader.Entry();
    const unsigned type = archive_entry_filetype(entry);
    const char* hardlink = archive_entry_hardlink(entry);
    std::string linkRelative;
    std::string full = Below(rootText, relative);
    const bool regular = type == AE_IFREG && !hardlink;
    // A folder member whose folder is missing is made while the group
    // waits, as nothing on its way waits; anything else waits for it.
    const bool grouped = !oneByOne && (regular || (type == AE_IFDIR && !hardlink)) && !saves.Waiting(rootText, full);
    const bool folderNow = grouped && !regular && saves.NoteMissing(full);
    const bool groupWaits = regular ? grouped : folderNow;
    if (!groupWaits && !saves.PutInPlace(messages, result)) break;
    const bool named = !hardlink || CheckMemberName(hardlink, linkRelative) == TNameCheck::Safe;
    const std::string_view folderPart = std::string_view(relative).substr(0, relative.rfind('/') + 1);
    const bool wayChecked = !folderPart.empty() && folderPart == linkFreeFolder;
    if (!named || !SafeToExtract(rootText, relative, type, archive_entry_symlink(entry),
                                 hardlink ? &linkRelative : nullptr, wayChecked)) {
      AddMessage(messages, member.name + ": 展開先の外を指すか特殊なファイルなので展開しませんでした。");
      result = kArcErrorNotFileName;
      continue;
    }
    linkFreeFolder = folderPart;
    const char* name = nullptr;
    const int at = saves.At(full, name);
    if (!(regular && grouped && saves.Absent(full)) && !PrepareTarget(request, member, full, messages, at, name))
      continue;
    if (ReportMember(request, member, full)) {
      result = kArcErrorUserCancel;
      break;
    }
    if (regular) {
      std::string error;
      if (saves.Save(reader, full, member.name, messages, error)) {
        if (saves.Due() && !saves.PutInPlace(messages, result)) break;
        continue;
      }
      if (!saves.PutInPlace(messages, result)) break;
      AddMessage(messages, member.name + ": 書き込めません。" + error);
      result = kArcErrorCannotWrite;
      break;
    }
    if (folderNow && MakeFolderMember(full, entry, saves.Umask(), madeFolders)) {
      if (saves.Due() && !saves.PutInPlace(messages, result)) break;
      continue;
    }
    // Other members may have replaced what the folders were.
    if (!folderNow) {
      saves.ForgetFolders();
      linkFreeFolder.clear();
    }
    archive_entry_copy_pathname(entry, full.c_str());
    if (hardlink) archive_entry_copy_hardlink(entry, (root / linkRelative).string().c_str());
    saves.NoteDiskWriter();
    const int r = archive_read_extract2(reader.Handle(), entry, disk);
    if (r == ARCHIVE_WARN) AddMessage(messages, member.name + ": " + reader.Error());
    if (r < ARCHIVE_WARN) {
      AddMessage(messages, member.name + ": " + reader.Error());
      if (result == kArcOk) result = kArcErrorCannotWrite;
      if (r == ARCHIVE_FATAL) {
        result = kArcErrorBrokenData;
        break;
      }
    }
    if (folderNow && saves.Due() && !saves.PutInPlace(messages, result)) break;
  }
  saves.PutInPlace(messages, result);
  archive_write_close(disk);
  archive_write_free(disk);
  FinishMadeFolders(madeFolders);
  return result;
}

// ---- writing ----

TMemberSink::TResult TMemberSink::Unreadable(const std::string& name) {
  error = name + ": 読み込めません。";
  return kUnreadable;
}

TMemberSink::TResult TMemberSink::Changed(const std::string& name) {
  error = name + ": 読み込み中にファイルが変わったか読めなくなりました。";
  return kUnreadable;
}

TMemberSink::TResult TMemberSink::AddBlocks(const TMember& member, const TDataBlocks& blocks) {
  std::string data;
  const bool readable = TakeSized(blocks, member.size, [&](std::string_view block) {
    data.append(block);
    return true;
  });
  if (!readable) return kUnreadable;
  return Add(member, data) ? kAdded : kUnwritable;
}

namespace {

// A file opened to be packed. Its first reading goes through the open
// descriptor (a FIFO or device in its place reads as unreadable, and the
// open does not wait for one); a later one, by a writer that reads the
// blocks again or after the member was added, opens the file by name.
struct TOpenSource {
  std::string native;
  int fd = -1;
  std::string* buffer;  // the sink's reading buffer

  ~TOpenSource() { Close(); }
  void Close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  bool Read(const TDataTake& take) {
    if (fd < 0) return ReadNativeFileBlocks(native, take);
    // O_NONBLOCK, which kept the open from waiting for a FIFO, changes
    // nothing for a regular file, the only kind read.
    struct stat st {};
    bool read = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (buffer->size() < (1 << 16)) buffer->resize(1 << 16);
    uint64_t total = 0;
    while (read) {
      const ssize_t got = ::read(fd, buffer->data(), buffer->size());
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) read = false;
      if (got <= 0 || !take(std::string_view(buffer->data(), static_cast<size_t>(got)))) break;
      // A short read that completes the size the file had when opened is
      // its end: no read is spent to be told so.
      total += static_cast<uint64_t>(got);
      if (static_cast<size_t>(got) < buffer->size() && total == static_cast<uint64_t>(st.st_size)) break;
    }
    Close();
    return read;
  }
};

}  // namespace

TFolderDescriptor::~TFolderDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

int TFolderDescriptor::At(const std::string& native, const char*& name) {
  name = native.c_str();
  const std::string_view folder = NativeFolderPart(native), file = NativeNamePart(native);
  if (folder.empty() || file.empty()) return AT_FDCWD;
  // A folder part is never empty ("/" at the least): an empty folder_ means
  // none was opened yet.
  if (folder != folder_) {
    if (fd_ >= 0) ::close(fd_);
    folder_ = folder;
    fd_ = ::open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  }
  if (fd_ < 0) return AT_FDCWD;
  name = file.data();
  return fd_;
}

TMemberSink::TResult TMemberSink::AddFile(const TMember& member, const std::string& native) {
  auto source = std::make_shared<TOpenSource>();
  source->native = native;
  source->buffer = &readBuffer_;
  const char* name;
  const int at = folder_.At(native, name);
  source->fd = ::openat(at, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (source->fd < 0) return Unreadable(native);
  const TResult added = AddBlocks(member, [source](const TDataTake& take) { return source->Read(take); });
  // A writer that keeps the blocks reads them later by name.
  source->Close();
  return added == kUnreadable ? Changed(native) : added;
}

namespace {

std::string LowerExt(const std::string& name) {
  std::string ext = fs::path(name).extension().string();
  for (char& c : ext) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return ext;
}

// An output stream over a save in progress, for the writers made for
// std::ostream: the bytes go through the writer in blocks, and seeking back
// rewrites earlier ones.
class TSaveBuf : public std::streambuf {
 public:
  explicit TSaveBuf(TAtomicFileWriter& out) : out_(out) { setp(buffer_, buffer_ + sizeof buffer_); }
  ~TSaveBuf() override { sync(); }
  TSaveBuf(const TSaveBuf&) = delete;
  TSaveBuf& operator=(const TSaveBuf&) = delete;

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
  }
  int sync() override { return Drain() ? 0 : -1; }
  pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override {
    if (!Drain() || !(which & std::ios_base::out)) return pos_type(off_type(-1));
    const off_type base = dir == std::ios_base::beg   ? 0
                          : dir == std::ios_base::cur ? static_cast<off_type>(at_)
                                                      : static_cast<off_type>(end_);
    if (base + off < 0) return pos_type(off_type(-1));
    at_ = static_cast<uint64_t>(base + off);
    return pos_type(static_cast<off_type>(at_));
  }
  pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
    return seekoff(off_type(pos), std::ios_base::beg, which);
  }

 private:
  bool Drain() {
    const std::string_view bytes(pbase(), static_cast<size_t>(pptr() - pbase()));
    setp(buffer_, buffer_ + sizeof buffer_);
    if (bytes.empty()) return true;
    const bool ok = at_ == end_ ? out_.Write(bytes) : out_.WriteAt(at_, bytes);
    at_ += bytes.size();
    end_ = std::max(end_, at_);
    return ok;
  }

  TAtomicFileWriter& out_;
  char buffer_[1 << 16];
  uint64_t at_ = 0;   // where the buffered bytes go
  uint64_t end_ = 0;  // the size written so far
};

class TLhaSink : public TMemberSink {
 public:
  TLhaSink(TAtomicFileWriter& out, int level) : buf_(out), out_(&buf_), writer_(out_), store_(level == 0) {}
  bool Add(const TMember& member, std::string_view data) override {
    const std::string name = Utf8ToSjis(member.name);
    try {
      if (member.folder) writer_.AddFolder(name, member.mtime);
      else writer_.AddFile(name, member.mtime, data, store_);
    } catch (const std::length_error&) {
      return TooLarge(member);
    }
    return static_cast<bool>(out_) || WriteFailed();
  }
  // Codes the data as its blocks come.
  TResult AddBlocks(const TMember& member, const TDataBlocks& blocks) override {
    try {
      if (writer_.AddFile(Utf8ToSjis(member.name), member.mtime, member.size, store_, blocks)) return kAdded;
    } catch (const std::length_error&) {
      return TooLarge(member) ? kAdded : kUnwritable;
    }
    return out_ ? kUnreadable : WriteFailed() ? kAdded : kUnwritable;
  }
  bool Finish() override { return writer_.Finish() || WriteFailed(); }

 private:
  // false with the message.
  bool WriteFailed() {
    error = "LHA 書庫を書き込めません。";
    return false;
  }
  bool TooLarge(const TMember& member) {
    error = member.name + ": LHA 書庫に入れるには大きすぎます。";
    return false;
  }

  TSaveBuf buf_;
  std::ostream out_;
  TLhaWriter writer_;
  bool store_;
};

class TCabSink : public TMemberSink {
 public:
  explicit TCabSink(TAtomicFileWriter& out) : buf_(out), out_(&buf_) {}
  bool Add(const TMember& member, std::string_view data) override {
    if (member.folder) return true;
    writer_.AddFile(member.name, member.mtime, data);
    names_.push_back(member.name);
    return true;
  }
  // The blocks are read when the cabinet is written.
  TResult AddBlocks(const TMember& member, const TDataBlocks& blocks) override {
    writer_.AddFile(member.name, member.mtime, member.size, blocks);
    names_.push_back(member.name);
    return kAdded;
  }
  bool Finish() override {
    size_t unreadable = names_.size();
    if (writer_.Write(out_, &unreadable) && out_.flush()) return true;
    if (unreadable < names_.size()) Changed(names_[unreadable]);
    else error = "CAB 書庫を書き出せません (大きすぎるか書き込めません)。";
    return false;
  }

 private:
  TSaveBuf buf_;
  std::ostream out_;
  TCabWriter writer_;
  std::vector<std::string> names_;  // of the files in the order added
};

// A writer that takes a member as a header, its data as it comes and an
// end; each step false (with the error set) when the archive cannot be
// written.
class TStreamingSink : public TMemberSink {
 public:
  bool Add(const TMember& member, std::string_view data) override {
    TMember sized = member;
    sized.size = member.folder ? 0 : data.size();
    return Header(sized) && Write(data) && EndEntry(sized.size);
  }
  // Writes the blocks as they come; they must be the size the header gives.
  TResult AddBlocks(const TMember& member, const TDataBlocks& blocks) override {
    if (!Header(member)) return kUnwritable;
    bool written = true;
    const bool readable =
        TakeSized(blocks, member.size, [&](std::string_view block) { return written = Write(block); });
    if (!written) return kUnwritable;
    if (!readable) return kUnreadable;
    return EndEntry(member.size) ? kAdded : kUnwritable;
  }

 protected:
  virtual bool Header(const TMember& member) = 0;
  virtual bool Write(std::string_view data) = 0;
  virtual bool EndEntry(uint64_t size) = 0;
};

// A tar of plain members (FitsPlainTarHeader) written without libarchive:
// the bytes its ustar writer writes for them, with no library to load.
class TUstarSink : public TStreamingSink {
 public:
  explicit TUstarSink(TAtomicFileWriter& out) : buf_(out), out_(&buf_) {}
  // Two empty blocks end the archive.
  bool Finish() override { return (Write(std::string(2 * kBlock, '\0')) && out_.flush()) || Failed(); }

 private:
  static constexpr size_t kBlock = 512;

  // `value` in octal, `digits` wide with leading zeros, at `field`.
  static void Octal(char* field, uint64_t value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value >>= 3) field[i] = static_cast<char>('0' + (value & 7));
  }
  bool Header(const TMember& member) override {
    char h[kBlock] = {};
    std::memcpy(h, member.name.data(), std::min<size_t>(member.name.size(), 100));
    // A number and a space; the short fields end with a NUL after it.
    const auto numeric = [&](size_t at, uint64_t value, int digits) {
      Octal(h + at, value, digits);
      h[at + static_cast<size_t>(digits)] = ' ';
    };
    numeric(100, 0644, 6);                                // mode
    numeric(108, 0, 6);                                   // uid
    numeric(116, 0, 6);                                   // gid
    numeric(124, member.size, 11);                        // size
    numeric(136, static_cast<uint64_t>(member.mtime), 11);  // mtime
    std::memset(h + 148, ' ', 8);                         // the checksum counts as spaces
    h[156] = '0';                                         // a regular file
    std::memcpy(h + 257, "ustar\0" "00", 8);
    numeric(329, 0, 6);                                   // devmajor
    numeric(337, 0, 6);                                   // devminor
    unsigned sum = 0;
    for (const char c : h) sum += static_cast<unsigned char>(c);
    Octal(h + 148, sum, 6);
    h[154] = '\0';
    h[155] = ' ';
    return Write(std::string_view(h, kBlock));
  }
  // Zeros to the end of the data's last block.
  bool EndEntry(uint64_t size) override {
    static const char kZeros[kBlock] = {};
    const size_t rest = static_cast<size_t>(size % kBlock);
    return rest == 0 || Write(std::string_view(kZeros, kBlock - rest));
  }
  bool Write(std::string_view data) override {
    out_.write(data.data(), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(out_) || Failed();
  }
  bool Failed() {
    error = "書庫を書き込めません。";
    return false;
  }

  TSaveBuf buf_;
  std::ostream out_;
};

class TLibarchiveSink : public TStreamingSink {
 public:
  explicit TLibarchiveSink(TAtomicFileWriter& out)
      : archive_(archive_write_new()), entry_(archive_entry_new()), out_(out) {}
  ~TLibarchiveSink() override {
    archive_write_free(archive_);
    archive_entry_free(entry_);
  }
  struct archive* Handle() { return archive_; }
  // Opens the archive on the save; its last block is not padded, as for a
  // file opened by name.
  bool Open() {
    archive_write_set_bytes_in_last_block(archive_, 1);
    return archive_write_open2(archive_, this, nullptr, ToSave, nullptr, nullptr) == ARCHIVE_OK || Fail();
  }
  bool Fail() {
    const char* text = archive_error_string(archive_);
    error = saveFailed_ ? "書庫を書き込めません。" : text ? text : "archive error";
    return false;
  }
  bool Finish() override { return (archive_write_close(archive_) == ARCHIVE_OK && !saveFailed_) || Fail(); }

 private:
  // A failed write is remembered, not passed on: libarchive then still
  // ends its entry and frees what it holds.
  static la_ssize_t ToSave(struct archive*, void* self, const void* data, size_t size) {
    auto* sink = static_cast<TLibarchiveSink*>(self);
    if (!sink->out_.Write(std::string_view(static_cast<const char*>(data), size))) sink->saveFailed_ = true;
    return static_cast<la_ssize_t>(size);
  }

  // One entry serves every header, cleared for each.
  bool Header(const TMember& member) override {
    struct archive_entry* entry = archive_entry_clear(entry_);
    archive_entry_copy_pathname(entry, member.name.c_str());
    archive_entry_set_mtime(entry, member.mtime, 0);
    archive_entry_set_filetype(entry, member.folder ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(entry, member.folder ? 0755 : 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(member.size));
    const int r = archive_write_header(archive_, entry);
    return (r >= ARCHIVE_WARN && !saveFailed_) || Fail();
  }
  bool EndEntry(uint64_t) override {
    return (archive_write_finish_entry(archive_) >= ARCHIVE_WARN && !saveFailed_) || Fail();
  }
  bool Write(std::string_view data) override {
    size_t at = 0;
    while (at < data.size()) {
      const la_ssize_t written = archive_write_data(archive_, data.data() + at, data.size() - at);
      if (written <= 0 || saveFailed_) return Fail();
      at += static_cast<size_t>(written);
    }
    return true;
  }

  struct archive* archive_;
  struct archive_entry* entry_;
  TAtomicFileWriter& out_;
  bool saveFailed_ = false;
};

// The filter of a tar-family archive: its extension's, else `tarFilter`;
// empty for none.
std::string TarFilter(const std::string& ext, const std::string& tarFilter) {
  if (ext == ".gz" || ext == ".tgz") return "gzip";
  if (ext == ".z" || ext == ".taz") return "compress";
  if (ext == ".bz2") return "bzip2";
  return tarFilter == "gzip" || tarFilter == "bzip2" || tarFilter == "compress" ? tarFilter : "";
}

// Whether the archive is a tar without filter (not ar, cpio or rpm).
bool PlainTar(const std::string& archiveName, const std::string& tarFilter) {
  const std::string ext = LowerExt(archiveName);
  return ext != ".rpm" && ext != ".a" && ext != ".lib" && ext != ".deb" && ext != ".cpio" &&
         TarFilter(ext, tarFilter).empty();
}

// Format and filters of a tar-family archive by its extension.
bool SetTarFamily(struct archive* a, const std::string& archiveName, const std::string& tarFilter,
                  int level, bool plainMembers, std::string& error) {
  const std::string ext = LowerExt(archiveName);
  if (ext == ".rpm") {
    error = "rpm 形式の書庫は作成できません。";
    return false;
  }
  if (ext == ".a" || ext == ".lib" || ext == ".deb") {
    archive_write_set_format_ar_svr4(a);
  } else if (ext == ".cpio") {
    archive_write_set_format_cpio_newc(a);
  } else if (plainMembers) {
    archive_write_set_format_ustar(a);
  } else {
    archive_write_set_format_pax_restricted(a);
  }
  const std::string filter = TarFilter(ext, tarFilter);
  if (filter == "gzip") archive_write_add_filter_gzip(a);
  else if (filter == "bzip2") archive_write_add_filter_bzip2(a);
  else if (filter == "compress") archive_write_add_filter_compress(a);
  if (level > 0 && (filter == "gzip" || filter == "bzip2"))
    archive_write_set_filter_option(a, nullptr, "compression-level", std::to_string(level).c_str());
  return true;
}

}  // namespace

bool FitsPlainTarHeader(const TMember& member) {
  // The pax writer adds a time of 2^31 - 1 or later, or before 1970, to an
  // extended header; sizes are kept below the same bound.
  constexpr int64_t kHeaderLimit = 0x7fffffff;
  if (member.folder || member.mtime < 0 || member.mtime >= kHeaderLimit) return false;
  if (member.size >= static_cast<uint64_t>(kHeaderLimit)) return false;
  if (member.name.empty() || member.name.size() > 100) return false;
  return std::all_of(member.name.begin(), member.name.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
}

std::unique_ptr<TMemberSink> OpenMemberSink(TBackendFormat format, const std::string& archiveName,
                                            TAtomicFileWriter& out, int level,
                                            const std::string& tarFilter, std::string& error,
                                            bool plainMembers) {
  switch (format) {
    case TBackendFormat::Lha:
      return std::make_unique<TLhaSink>(out, level);
    case TBackendFormat::Cab:
      return std::make_unique<TCabSink>(out);
    case TBackendFormat::Rar:
      error = "RAR 形式の書庫は作成できません。";
      return nullptr;
    default:
      break;
  }
  if (format == TBackendFormat::Tar && plainMembers && PlainTar(archiveName, tarFilter)) {
    return std::make_unique<TUstarSink>(out);
  }
  auto sink = std::make_unique<TLibarchiveSink>(out);
  struct archive* a = sink->Handle();
  const std::string levelText = std::to_string(level);
  if (format == TBackendFormat::Zip) {
    archive_write_set_format_zip(a);
    archive_write_set_format_option(a, "zip", "hdrcharset", "CP932");
    if (level == 0) archive_write_set_format_option(a, "zip", "compression", "store");
    else if (level > 0) archive_write_set_format_option(a, "zip", "compression-level", levelText.c_str());
  } else if (format == TBackendFormat::SevenZip) {
    archive_write_set_format_7zip(a);
    if (level == 0) archive_write_set_format_option(a, "7zip", "compression", "store");
    else if (level > 0) archive_write_set_format_option(a, "7zip", "compression-level", levelText.c_str());
  } else if (!SetTarFamily(a, archiveName, tarFilter, level, plainMembers, error)) {
    return nullptr;
  }
  if (!sink->Open()) {
    error = sink->error;
    return nullptr;
  }
  return sink;
}

}  // namespace nura
