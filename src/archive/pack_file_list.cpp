#include "archive/pack_file_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "support/dir_util.h"
#include "support/file_command_support.h"
#include "engine/errors.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace fs = std::filesystem;

namespace {

bool HasMaskWildcard(const std::string& mask) {
  return mask.find_first_of("*?") != std::string::npos;
}

// One entry of a folder listing; whether it is a regular file (a link
// counts as the file it names) and its time are read when first asked.
struct TFolderEntry {
  std::string name;  // Shift-JIS
  std::string nativeName;
  size_t sameName = SIZE_MAX;  // the next entry whose folded name is this one's
  bool folder = false;  // a folder itself, not a link to one
  bool plainFile = false;  // a regular file itself, not a link
  bool statted = false, regular = false;
  int64_t written = 0;
};

// A folder read once per CollectFiles call, however many patterns name it:
// the entries in directory order, and for names without wildcards the
// entries by their name with ASCII letters folded, as file names match
// (the first and the last of a name, linked by sameName in order).
struct TFolderListing {
  std::string native;  // the folder
  bool read = false;   // the folder could be read
  std::vector<TFolderEntry> entries;
  std::vector<std::string> subfolders;
  std::unordered_set<std::string> subfolderNatives;  // their native names
  std::unordered_map<std::string, std::pair<size_t, size_t>> byName;

  // The entries with the folded name `key`, in order.
  template <typename Take>
  void ForEachNamed(const std::string& key, const Take& take) {
    const auto named = byName.find(key);
    for (size_t i = named == byName.end() ? SIZE_MAX : named->second.first; i != SIZE_MAX; i = entries[i].sameName) {
      if (!take(entries[i])) return;
    }
  }
};

// What one CollectFiles call walks with.
struct TWalk {
  const TArchiverOptions& options;
  const std::string& baseFolder;
  bool& cancelled;
  const TPackProgress* progress;
  const std::set<std::string>* exclusions;
  int64_t from = 0, to = 0;
  std::set<std::string> result;
  std::unordered_map<std::string, TFolderListing> listings;  // by native folder
  // The folder part that named a listing last: patterns of one folder come
  // in a row.
  std::string lastFolder;
  TFolderListing* lastListing = nullptr;
};

// The name as the list holds it: with jf = -2 relative to the base folder.
std::string ListName(const TWalk& walk, std::string name) {
  if (walk.options.jf != -2 || walk.baseFolder.empty()) return name;
  const std::string base = JoinPathName(walk.baseFolder, "");
  const std::string nativeBase = ScriptPathToNative(base);
  const std::string nativeName = NativePathUnder(walk.baseFolder, name);
  std::error_code ec;
  const fs::path relative = fs::path(nativeName).lexically_relative(nativeBase);
  if (relative.empty() || *relative.begin() == "..") return name;
  return NativePathToScript(relative.string());
}

void AddFile(TWalk& walk, std::string name) {
  if (walk.exclusions && walk.exclusions->count(name)) return;
  // Lists come sorted mostly: a name behind the last goes in with one
  // comparison.
  const size_t before = walk.result.size();
  const auto added = walk.result.insert(walk.result.end(), std::move(name));
  if (walk.result.size() == before || !walk.progress || !*walk.progress) return;
  TExtractingInfo info;
  CopyNameField(info.szSourceFileName, sizeof info.szSourceFileName, *added);
  if ((*walk.progress)(kArcPackListAdd, info)) walk.cancelled = true;
}

// The name with ASCII letters of one-byte characters in lower case: two
// names match without wildcards exactly when their keys are equal.
std::string FoldedName(const std::string& name) {
  std::string key = name;
  for (size_t i = 0; i < key.size(); ++i) {
    const auto c = static_cast<unsigned char>(key[i]);
    if (IsSjisLead(c) && i + 1 < key.size()) ++i;
    else if (c >= 'A' && c <= 'Z') key[i] = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

// The kind of a folder entry as DT_REG, DT_DIR, DT_LNK ...: the one the
// listing read with the name, looked up only when the file system leaves
// it out.
unsigned char EntryKind(const std::string& folder, const struct dirent& found) {
  if (found.d_type != DT_UNKNOWN) return found.d_type;
  struct stat sb {};
  if (::lstat((fs::path(folder) / found.d_name).c_str(), &sb) != 0) return DT_UNKNOWN;
  return S_ISLNK(sb.st_mode) ? DT_LNK : S_ISDIR(sb.st_mode) ? DT_DIR : S_ISREG(sb.st_mode) ? DT_REG : DT_UNKNOWN;
}

TFolderListing& ListingOf(TWalk& walk, const std::string& native) {
  auto [at, fresh] = walk.listings.try_emplace(native);
  TFolderListing& listing = at->second;
  if (!fresh) return listing;
  listing.native = native;
  DIR* dir = ::opendir(native.c_str());
  listing.read = dir != nullptr;
  while (const struct dirent* found = dir ? ::readdir(dir) : nullptr) {
    const std::string_view nativeName = found->d_name;
    if (nativeName == "." || nativeName == "..") continue;
    TFolderEntry entry;
    entry.name = Utf8ToSjis(nativeName);
    // A link is neither kind.
    const unsigned char kind = EntryKind(native, *found);
    entry.folder = kind == DT_DIR;
    entry.plainFile = kind == DT_REG;
    if (entry.folder) {
      listing.subfolders.push_back(entry.name);
      listing.subfolderNatives.emplace(nativeName);
      continue;
    }
    entry.nativeName = nativeName;
    const size_t index = listing.entries.size();
    const auto [named, first] = listing.byName.try_emplace(FoldedName(entry.name), index, index);
    if (!first) {
      listing.entries[named->second.second].sameName = index;
      named->second.second = index;
    }
    listing.entries.push_back(std::move(entry));
  }
  if (dir) ::closedir(dir);
  return listing;
}

void StatEntry(const TFolderListing& listing, TFolderEntry& entry) {
  if (entry.statted) return;
  entry.statted = true;
  struct stat sb {};
  const std::string path = (fs::path(listing.native) / entry.nativeName).native();
  if (::stat(path.c_str(), &sb) != 0) return;
  entry.regular = S_ISREG(sb.st_mode);
  entry.written = sb.st_mtime;
}

// Takes the entry when it matches; false when the walk is cancelled.
bool TakeEntry(TWalk& walk, const TFolderListing& listing, TFolderEntry& entry, const std::string& folder,
               const std::string& mask) {
  if (walk.cancelled) return false;
  if (entry.name[0] == '.' && walk.options.a <= 0) return true;
  if (!MatchFileName(mask, entry.name)) return true;
  // The listing knows a plain file; its time is read only for a date window.
  const bool dated = walk.from != 0 || walk.to != 0;
  if (dated || !entry.plainFile) {
    StatEntry(listing, entry);
    if (!entry.regular) return true;
  }
  if (walk.from != 0 && entry.written < walk.from) return true;
  if (walk.to != 0 && entry.written > walk.to) return true;
  AddFile(walk, ListName(walk, JoinPathName(folder, entry.name)));
  return true;
}

// The listing of a folder part ("" for the base folder).
TFolderListing& FolderListing(TWalk& walk, const std::string& folder) {
  if (!walk.lastListing || folder != walk.lastFolder) {
    walk.lastListing = &ListingOf(walk, NativePathUnder(walk.baseFolder, folder.empty() ? "." : folder));
    walk.lastFolder = folder;
  }
  return *walk.lastListing;
}

void WalkFolder(TWalk& walk, const std::string& folder, const std::string& mask) {
  TFolderListing& listing = FolderListing(walk, folder);
  const auto take = [&](TFolderEntry& entry) { return TakeEntry(walk, listing, entry, folder, mask); };
  if (HasMaskWildcard(mask)) {
    for (TFolderEntry& entry : listing.entries) {
      if (!take(entry)) break;
    }
  } else {
    listing.ForEachNamed(FoldedName(mask), take);
  }
  const TArchiverOptions& o = walk.options;
  if (o.r <= 0 || (o.p > 0 && !HasMaskWildcard(mask))) return;
  // Listings added below leave this one in place (the map keeps its nodes).
  for (const std::string& sub : listing.subfolders) {
    if (walk.cancelled) return;
    WalkFolder(walk, JoinPathName(folder, sub), mask);
  }
}

// Whether the pattern names a folder itself (not a link to one). The listing
// of its folder, which the walk reads anyway, answers for the names it
// holds; the others are looked up.
bool IsExistingFolder(TWalk& walk, const std::string& pattern, const std::string& folder, const std::string& name) {
  const bool plainName = !name.empty() && name != "." && name != ".." && (folder.empty() || folder.back() != ':');
  if (TFolderListing* listing = plainName ? &FolderListing(walk, folder) : nullptr; listing && listing->read) {
    const std::string native = ScriptPathToNative(name);
    if (!listing->subfolderNatives.empty() && listing->subfolderNatives.count(native)) return true;
    bool listed = false;
    listing->ForEachNamed(FoldedName(name), [&](const TFolderEntry& entry) {
      listed = entry.nativeName == native;
      return !listed;
    });
    if (listed) return false;
  }
  std::error_code ec;
  return fs::is_directory(fs::symlink_status(NativePathUnder(walk.baseFolder, pattern), ec));
}

int Digits(std::string_view text, size_t at, size_t count) {
  int n = 0;
  for (size_t i = at; i < at + count; ++i) n = n * 10 + (text[i] - '0');
  return n;
}

}  // namespace

std::string JoinPathName(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (EndsWithSeparator(folder)) return folder + name;
  return folder + "\\" + name;
}

std::string NativePathUnder(const std::string& baseFolder, const std::string& path) {
  const std::string native = ScriptPathToNative(path);
  if (baseFolder.empty() || (!native.empty() && native[0] == '/')) return native;
  // The names of one packing share their base folder: it is converted once.
  thread_local std::string lastBase, base;
  if (baseFolder != lastBase) {
    lastBase = baseFolder;
    base = ScriptPathToNative(baseFolder);
    if (!base.empty() && base.back() != '/') base += '/';
  }
  return base + native;
}

namespace {
thread_local TPackFileStatus* livingStatus = nullptr;
}  // namespace

TPackFileStatus::TPackFileStatus() : outer_(livingStatus) { livingStatus = this; }

TPackFileStatus::~TPackFileStatus() { livingStatus = outer_; }

const TPackedFileStatus* TPackFileStatus::Known(const std::string& native) const {
  // The expected entry, or the one before it (a file looked up twice in a
  // row), saves hashing the path.
  for (const size_t at : {next_, next_ - 1}) {
    if (at < order_.size() && order_[at]->first == native) {
      next_ = at + 1;
      return &order_[at]->second.status;
    }
  }
  const auto known = known_.find(native);
  if (known == known_.end()) return nullptr;
  next_ = known->second.order + 1;
  return &known->second.status;
}

void TPackFileStatus::Reserve(size_t count) {
  known_.reserve(count);
  order_.reserve(count);
}

void TPackFileStatus::Keep(const std::string& native, const TPackedFileStatus& status) {
  const auto [kept, fresh] = known_.emplace(native, TKnownFile{status, order_.size()});
  if (fresh) order_.push_back(&*kept);
}

bool StatPackFile(const std::string& native, TPackedFileStatus& status) {
  TPackFileStatus* const innermost = livingStatus;
  for (const TPackFileStatus* record = innermost; record; record = record->outer_) {
    if (const TPackedFileStatus* known = record->Known(native)) {
      status = *known;
      return true;
    }
  }
  const char* name = native.c_str();
  const int at = innermost ? innermost->folder_.At(native, name) : AT_FDCWD;
  struct stat st {};
  if (::fstatat(at, name, &st, 0) != 0) return false;
  status = {st.st_mode, st.st_mtime, static_cast<uint64_t>(st.st_size), st.st_dev, st.st_ino};
  if (innermost) innermost->Keep(native, status);
  return true;
}

int64_t ParseOptionDate(std::string_view text, std::string_view defaultTime) {
  std::string t(text);
  if (t.size() > 1 && t[0] == 'l') t.erase(0, 1);
  if (t.size() != 6 && t.size() != 12 && t.size() != 8 && t.size() != 14) return 0;
  for (char c : t) {
    if (c < '0' || c > '9')
      throw ERuntimeError("'" + std::string(text) + SJ("' は日付として正しくありません。"));
  }
  int year;
  size_t at;
  if (t.size() == 6 || t.size() == 12) {
    const time_t now = time(nullptr);
    struct tm tm {};
    localtime_r(&now, &tm);
    const int current = tm.tm_year + 1900;
    year = current / 100 * 100 + Digits(t, 0, 2);
    // The two-digit-year window of 50 years before the current year.
    if (year < current - 50) year += 100;
    at = 2;
  } else {
    year = Digits(t, 0, 4);
    at = 4;
  }
  const std::string timePart = t.size() > at + 4 ? t.substr(at + 4) : std::string(defaultTime);
  struct tm tm {};
  tm.tm_year = year - 1900;
  tm.tm_mon = Digits(t, at, 2) - 1;
  tm.tm_mday = Digits(t, at + 2, 2);
  tm.tm_hour = Digits(timePart, 0, 2);
  tm.tm_min = Digits(timePart, 2, 2);
  tm.tm_sec = Digits(timePart, 4, 2);
  tm.tm_isdst = -1;
  const int month = tm.tm_mon, day = tm.tm_mday;
  const time_t result = mktime(&tm);
  if (month < 0 || month > 11 || day < 1 || tm.tm_mday != day || tm.tm_hour > 23 ||
      tm.tm_min > 59 || tm.tm_sec > 59 || result == static_cast<time_t>(-1))
    throw ERuntimeError("'" + std::string(text) + SJ("' は日付として正しくありません。"));
  return static_cast<int64_t>(result);
}

std::vector<std::string> CollectFiles(const TArchiverOptions& options,
                                      const std::string& baseFolder,
                                      const std::vector<std::string>& patterns, bool inclusion,
                                      bool& cancelled, const TPackProgress& progress,
                                      const std::set<std::string>* exclusions) {
  TWalk walk{options, baseFolder, cancelled, progress ? &progress : nullptr, exclusions, 0, 0, {}, {}, {}, nullptr};
  walk.from = ParseOptionDate(options.jo, "000000");
  walk.to = ParseOptionDate(options.job, "235959");
  if (patterns.empty() && inclusion) WalkFolder(walk, "", "*.*");
  for (const std::string& pattern : patterns) {
    if (cancelled) break;
    if (pattern.empty()) continue;
    const std::string folder = ExtractFolderPart(pattern), mask = ExtractNamePart(pattern);
    if (options.r > 1 && IsExistingFolder(walk, pattern, folder, mask)) {
      WalkFolder(walk, pattern, "*.*");
      continue;
    }
    if (!mask.empty()) WalkFolder(walk, folder, mask);
  }
  // The names move out of the set, in its order.
  std::vector<std::string> files;
  files.reserve(walk.result.size());
  while (!walk.result.empty()) files.push_back(std::move(walk.result.extract(walk.result.begin()).value()));
  return files;
}

std::vector<std::string> BuildPackFileList(TArchiverOptions& options,
                                           const std::string& baseFolder,
                                           const std::vector<std::string>& patterns,
                                           bool& cancelled, const TPackProgress& progress) {
  cancelled = false;
  bool excludeCancelled = false;
  const std::vector<std::string> excluded =
      CollectFiles(options, baseFolder, options.jx, false, excludeCancelled, nullptr, nullptr);
  const std::set<std::string> exclusions(excluded.begin(), excluded.end());
  std::vector<std::string> files =
      CollectFiles(options, baseFolder, patterns, true, cancelled, progress, &exclusions);
  options.r = kUnset;
  options.jo.clear();
  options.job.clear();
  options.p = 1;
  return files;
}

}  // namespace nura
