#include "support/dir_util.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

size_t CharLength(const std::string& text, size_t i) {
  return IsSjisLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

bool SameChar(const std::string& a, size_t i, size_t la, const std::string& b, size_t j, size_t lb) {
  if (la != lb) return false;
  if (la == 1) return FoldAscii(a[i]) == FoldAscii(b[j]);
  return a.compare(i, la, b, j, lb) == 0;
}

// Backtracking over the last "*" only: linear in practice, never recursive.
bool Match(const std::string& p, const std::string& s) {
  size_t i = 0, j = 0;
  size_t star = std::string::npos, resume = 0;
  while (j < s.size()) {
    const size_t ls = CharLength(s, j);
    if (i < p.size() && p[i] == '*') {
      star = ++i;
      resume = j;
      continue;
    }
    if (i < p.size()) {
      const size_t lp = CharLength(p, i);
      if ((lp == 1 && p[i] == '?') || SameChar(p, i, lp, s, j, ls)) {
        i += lp;
        j += ls;
        continue;
      }
    }
    if (star == std::string::npos) return false;
    i = star;
    resume += CharLength(s, resume);
    j = resume;
  }
  while (i < p.size() && p[i] == '*') ++i;
  return i == p.size();
}

bool IsLink(const fs::file_status& st) { return st.type() == fs::file_type::symlink; }

}  // namespace

bool HasFileWildcard(const std::string& text) {
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (text[i] == '*' || text[i] == '?') return true;
  }
  return false;
}

bool MatchFileName(const std::string& pattern, const std::string& name) {
  if (pattern == "*.*") return true;
  return Match(pattern, name);
}

void SplitScriptPath(const std::string& path, std::string& folder, std::string& name) {
  size_t end = 0;
  for (size_t i = 0; i < path.size(); i += CharLength(path, i)) {
    if (IsSeparator(path[i])) end = i + 1;
  }
  folder = path.substr(0, end);
  name = path.substr(end);
}

TGlob::TGlob(const std::string& pattern) {
  std::string text = pattern;
  if (!text.empty() && IsSeparator(text.back())) text += '*';
  std::string folder, name;
  SplitScriptPath(text, folder, name);
  if (name.empty()) return;
  std::string native = ScriptPathToNative(folder);
  if (!native.empty() && native.back() != '/') native += '/';
  folder_ = NativePathToScript(native);
  const fs::path scan = native.empty() ? fs::path(".") : fs::path(native);

  auto add = [this](const std::string& entryName, const fs::file_status& st) {
    if (fs::is_directory(st) && !IsLink(st)) {
      if (!entryName.empty() && entryName[0] != '.') folders_.push_back(entryName);
    } else {
      files_.push_back(entryName);
    }
  };
  std::error_code ec;
  if (!HasFileWildcard(name)) {
    const fs::file_status st = fs::symlink_status(scan / ScriptPathToNative(name), ec);
    if (fs::exists(st)) add(name, st);
    return;
  }
  fs::directory_iterator it(scan, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const std::string entryName = Utf8ToSjis(it->path().filename().string());
    if (!MatchFileName(name, entryName)) continue;
    std::error_code sec;
    add(entryName, it->symlink_status(sec));
  }
  std::sort(folders_.begin(), folders_.end());
  std::sort(files_.begin(), files_.end());
}

namespace {

void CollectFiles(const std::string& folder, const std::string& namePattern,
                  std::vector<std::string>& out, int depth) {
  if (depth > 256) return;  // deeper than any real tree: a loop of mounts
  const TGlob matches(folder + namePattern);
  for (const std::string& file : matches.Files()) out.push_back(matches.Folder() + file);
  const TGlob all(folder + "*");
  for (const std::string& sub : all.Folders()) {
    CollectFiles(all.Folder() + sub + "/", namePattern, out, depth + 1);
  }
}

}  // namespace

std::vector<std::string> ListFilesRecursive(const std::string& pattern) {
  std::string folder, name;
  SplitScriptPath(pattern, folder, name);
  if (name.empty()) name = "*";
  std::vector<std::string> out;
  CollectFiles(folder, name, out, 0);
  return out;
}

bool DeleteFolderTree(const std::string& folder) {
  if (folder.empty()) return false;
  std::string base = folder;
  if (!IsSeparator(base.back())) base += '/';
  // A link to a folder goes alone: the folder it points to stays.
  std::string link = ScriptPathToNative(base);
  while (link.size() > 1 && link.back() == '/') link.pop_back();
  std::error_code lec;
  if (fs::is_symlink(fs::symlink_status(link, lec))) return fs::remove(link, lec);
  const TGlob scan(base + "*");
  bool ok = true;
  for (const std::string& sub : scan.Folders()) {
    if (!DeleteFolderTree(scan.Folder() + sub + "/")) ok = false;
  }
  for (const std::string& file : scan.Files()) {
    std::error_code ec;
    if (!fs::remove(ScriptPathToNative(scan.Folder() + file), ec)) ok = false;
  }
  std::error_code ec;
  std::string native = ScriptPathToNative(base);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  if (!fs::remove(native, ec)) ok = false;
  return ok;
}

}  // namespace nura
