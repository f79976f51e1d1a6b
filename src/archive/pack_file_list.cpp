#include "archive/pack_file_list.h"

#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <system_error>

#include "commands/dir_util.h"
#include "commands/file_command_support.h"
#include "engine/errors.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace fs = std::filesystem;

namespace {

bool HasMaskWildcard(const std::string& mask) {
  return mask.find_first_of("*?") != std::string::npos;
}

// What one CollectFiles call walks with.
struct TWalk {
  const TArchiverOptions& options;
  const std::string& baseFolder;
  bool& cancelled;
  const TPackProgress* progress;
  const std::set<std::string>* exclusions;
  int64_t from = 0, to = 0;
  std::set<std::string> result;
};

// The name as the list holds it: with jf = -2 relative to the base folder.
std::string ListName(const TWalk& walk, const std::string& name) {
  if (walk.options.jf != -2 || walk.baseFolder.empty()) return name;
  const std::string base = JoinPathName(walk.baseFolder, "");
  const std::string nativeBase = ScriptPathToNative(base);
  const std::string nativeName = NativePathUnder(walk.baseFolder, name);
  std::error_code ec;
  const fs::path relative = fs::path(nativeName).lexically_relative(nativeBase);
  if (relative.empty() || *relative.begin() == "..") return name;
  return NativePathToScript(relative.string());
}

void AddFile(TWalk& walk, const std::string& name) {
  if (walk.exclusions && walk.exclusions->count(name)) return;
  if (!walk.result.insert(name).second || !walk.progress || !*walk.progress) return;
  TExtractingInfo info;
  CopyNameField(info.szSourceFileName, sizeof info.szSourceFileName, name);
  if ((*walk.progress)(kArcPackListAdd, info)) walk.cancelled = true;
}

void WalkFolder(TWalk& walk, const std::string& folder, const std::string& mask) {
  const fs::path native = NativePathUnder(walk.baseFolder, folder.empty() ? "." : folder);
  const bool hiddenToo = walk.options.a > 0;
  std::error_code ec;
  std::vector<std::string> subfolders;
  fs::directory_iterator it(native, ec), end;
  for (; !ec && it != end && !walk.cancelled; it.increment(ec)) {
    const std::string name = Utf8ToSjis(it->path().filename().string());
    std::error_code sec;
    const fs::file_status link = it->symlink_status(sec);
    if (fs::is_directory(link)) {
      subfolders.push_back(name);
      continue;
    }
    // A link counts as the file it names; a link to a folder is left out.
    const fs::file_status st = it->status(sec);
    if (sec || !fs::is_regular_file(st)) continue;
    if (name[0] == '.' && !hiddenToo) continue;
    if (!MatchFileName(mask, name)) continue;
    struct stat sb {};
    const int64_t written = ::stat(it->path().c_str(), &sb) == 0 ? sb.st_mtime : 0;
    if (walk.from != 0 && written < walk.from) continue;
    if (walk.to != 0 && written > walk.to) continue;
    AddFile(walk, ListName(walk, JoinPathName(folder, name)));
  }
  const TArchiverOptions& o = walk.options;
  if (o.r <= 0 || (o.p > 0 && !HasMaskWildcard(mask))) return;
  for (const std::string& sub : subfolders) {
    if (walk.cancelled) return;
    WalkFolder(walk, JoinPathName(folder, sub), mask);
  }
}

bool IsExistingFolder(const std::string& baseFolder, const std::string& spec) {
  std::error_code ec;
  return fs::is_directory(fs::symlink_status(NativePathUnder(baseFolder, spec), ec));
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
  std::string base = ScriptPathToNative(baseFolder);
  if (!base.empty() && base.back() != '/') base += '/';
  return base + native;
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
                                      const std::vector<std::string>& specs, bool inclusion,
                                      bool& cancelled, const TPackProgress& progress,
                                      const std::set<std::string>* exclusions) {
  TWalk walk{options, baseFolder, cancelled, progress ? &progress : nullptr, exclusions, 0, 0, {}};
  walk.from = ParseOptionDate(options.jo, "000000");
  walk.to = ParseOptionDate(options.job, "235959");
  if (specs.empty() && inclusion) WalkFolder(walk, "", "*.*");
  for (const std::string& spec : specs) {
    if (cancelled) break;
    if (spec.empty()) continue;
    if (options.r > 1 && IsExistingFolder(baseFolder, spec)) {
      WalkFolder(walk, spec, "*.*");
      continue;
    }
    const std::string folder = ExtractFolderPart(spec), mask = ExtractNamePart(spec);
    if (!mask.empty()) WalkFolder(walk, folder, mask);
  }
  return {walk.result.begin(), walk.result.end()};
}

std::vector<std::string> BuildPackFileList(TArchiverOptions& options,
                                           const std::string& baseFolder,
                                           const std::vector<std::string>& specs,
                                           bool& cancelled, const TPackProgress& progress) {
  cancelled = false;
  bool excludeCancelled = false;
  const std::vector<std::string> excluded =
      CollectFiles(options, baseFolder, options.jx, false, excludeCancelled, nullptr, nullptr);
  const std::set<std::string> exclusions(excluded.begin(), excluded.end());
  std::vector<std::string> files =
      CollectFiles(options, baseFolder, specs, true, cancelled, progress, &exclusions);
  options.r = kUnset;
  options.jo.clear();
  options.job.clear();
  options.p = 1;
  return files;
}

}  // namespace nura
