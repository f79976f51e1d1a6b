// The library of the ARJ wrapper: the free `arj` program, run without a
// shell with its arguments as a list. Listing parses "arj v", the check is
// "arj t", extraction runs "arj x" into a private folder, from which the
// members are moved into the destination under the safe extraction rules.
// Only extraction commands are read; packing goes through the LHA library.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <system_error>

#include "archive/archive_io.h"
#include "archive/private_folder.h"
#include "archive/backend_library.h"
#include "platform/native_path.h"
#include "platform/process.h"
#include "platform/sjis.h"

namespace nura {

bool ReadLhaExtractLine(const std::string& line, TExtractRequest& request, std::string& messages);

namespace {
namespace fs = std::filesystem;

constexpr int kArjTimeout = 10 * 60 * 1000;

// The listing's fields of one member; `raw` is the name's bytes as the
// program writes them.
struct TArjEntry {
  std::string raw;
  TMember member;
};

// A name in UTF-8: as it is when it is UTF-8, else read as Shift-JIS.
std::string NameAsUtf8(const std::string& raw) {
  std::string sjis = raw;
  int badLine = 0;
  return ScriptTextToSjis(sjis, badLine) ? SjisToUtf8(sjis) : raw;
}

// "YY-MM-DD" and "HH:MM:SS" in local time.
int64_t ListedTime(const std::string& date, const std::string& time) {
  std::tm tm{};
  int year = 0, month = 0, day = 0;
  if (std::sscanf(date.c_str(), "%d-%d-%d", &year, &month, &day) != 3 ||
      std::sscanf(time.c_str(), "%d:%d:%d", &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 3)
    return 0;
  tm.tm_year = (year < 80 ? year + 100 : year);
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&tm));
}

// Reads the member lines of "arj v": "NNN) name", then "rev host
// original compressed ratio date time attributes ...".
std::vector<TArjEntry> ParseListing(const std::string& output) {
  std::vector<TArjEntry> entries;
  std::istringstream in(output);
  std::string line;
  TArjEntry* pending = nullptr;
  while (std::getline(in, line)) {
    const size_t mark = line.find(") ");
    if (mark >= 3 && mark != std::string::npos &&
        line.find_first_not_of("0123456789") == mark) {
      entries.push_back({line.substr(mark + 2), {}});
      pending = &entries.back();
      continue;
    }
    if (!pending) continue;
    std::istringstream fields(line);
    std::string rev, host, original, compressed, ratio, date, time, attributes;
    if (fields >> rev >> host >> original >> compressed >> ratio >> date >> time >> attributes) {
      TMember& m = pending->member;
      m.name = NameAsUtf8(pending->raw);
      m.size = std::strtoull(original.c_str(), nullptr, 10);
      m.mtime = ListedTime(date, time);
      m.folder = host == "UNIX" ? attributes[0] == 'd' : attributes.find('D') != std::string::npos;
    }
    pending = nullptr;
  }
  return entries;
}


class TArjLibrary : public TBackendLibrary {
 public:
  explicit TArjLibrary(std::string program) : program_(std::move(program)) {}

  bool HasExport(std::string_view name) const override {
    static const char* const kExports[] = {"Unarj", "UnarjCheckArchive", "UnarjOpenArchive",
                                           "UnarjCloseArchive", "UnarjFindFirst", "UnarjFindNext",
                                           "UnarjSetOwnerWindowEx", "UnarjKillOwnerWindowEx",
                                           "UnarjGetWriteTimeEx", "UnarjGetOriginalSizeEx"};
    for (const char* e : kExports) {
      if (name == e) return true;
    }
    return false;
  }

  int Command(TWindowHandle, const std::string& line, std::string& output, size_t size) override {
    std::string messages;
    TExtractRequest request;
    int result = kArcErrorCommandName;
    if (ReadLhaExtractLine(line, request, messages)) {
      request.progress = sink_;
      result = Extract(request, messages);
    } else if (messages.empty()) {
      messages = SJ("このコマンドは使えません。\r\n");
    }
    output = size == 0 ? std::string() : messages.substr(0, size - 1);
    return result;
  }

  bool CheckArchive(const std::string& name, int) override {
    std::string output;
    return Run({"t", "-+", "-y", "-i", ScriptPathToNative(name)}, output) == 0;
  }

  TArchiveHandle OpenArchive(TWindowHandle, const std::string& name, int) override {
    std::vector<TArjEntry> entries;
    std::string error;
    if (!List(ScriptPathToNative(name), entries, error)) return 0;
    const TArchiveHandle handle = nextHandle_++;
    listings_[handle] = {std::move(entries), "", 0};
    return handle;
  }
  int CloseArchive(TArchiveHandle handle) override {
    return listings_.erase(handle) ? 0 : kArcErrorNotArcFile;
  }
  int FindFirst(TArchiveHandle handle, const std::string& wildcard, TIndividualInfo& info) override {
    auto it = listings_.find(handle);
    if (it == listings_.end()) return -1;
    it->second.wildcard = wildcard;
    it->second.next = 0;
    return FindNext(handle, info);
  }
  int FindNext(TArchiveHandle handle, TIndividualInfo& info) override {
    auto it = listings_.find(handle);
    if (it == listings_.end()) return -1;
    TListing& l = it->second;
    const bool all = l.wildcard.empty() || l.wildcard == "*" || l.wildcard == "*.*";
    while (l.next < l.entries.size()) {
      const TMember& m = l.entries[l.next++].member;
      if (!all && !MemberSelected({l.wildcard}, m.name)) continue;
      FillRecord(m, info);
      return 0;
    }
    return -1;
  }
  int ExtractMem(TWindowHandle, const std::string&, std::string&, size_t, std::string&) override {
    return kArcErrorNotSupport;
  }
  bool GetWriteTimeEx(TArchiveHandle handle, uint64_t& time) override {
    const TMember* m = Current(handle);
    if (m) time = UnixTimeToFileTime(m->mtime);
    return m != nullptr;
  }
  bool GetOriginalSizeEx(TArchiveHandle handle, uint64_t& size) override {
    const TMember* m = Current(handle);
    if (m) size = m->size;
    return m != nullptr;
  }
  int GetArchiveType(const std::string&) override { return 0; }

 private:
  struct TListing {
    std::vector<TArjEntry> entries;
    std::string wildcard;
    size_t next = 0;
  };

  const TMember* Current(TArchiveHandle handle) const {
    auto it = listings_.find(handle);
    if (it == listings_.end() || it->second.next == 0) return nullptr;
    return &it->second.entries[it->second.next - 1].member;
  }

  // The program's exit status; -1 when it could not run. ARJ_SW would add
  // the user's switches, so it is left out.
  int Run(const std::vector<std::string>& arguments, std::string& output) const {
    int status = -1;
    if (!RunProgramForOutput(program_, arguments, {"ARJ_SW"}, output, status, kArjTimeout)) return -1;
    return status;
  }

  bool List(const std::string& archive, std::vector<TArjEntry>& entries, std::string& error) const {
    std::string output;
    if (Run({"v", "-+", "-y", archive}, output) != 0) {
      error = output;
      return false;
    }
    entries = ParseListing(output);
    return true;
  }

  // "arj x" into a private folder, then the listed members moved from
  // there; hostile names, links and special files are refused by the move.
  int Extract(const TExtractRequest& request, std::string& messages) const {
    std::error_code ec;
    if (!fs::exists(request.archive, ec)) {
      messages += SJ("書庫ファイル \"") + Utf8ToSjis(request.archive) + SJ("\" が見つかりません。\r\n");
      return kArcErrorNotFindArcFile;
    }
    std::vector<TArjEntry> entries;
    std::string error;
    if (!List(request.archive, entries, error)) {
      messages += Utf8ToSjis(request.archive) + ": " + Utf8ToSjis(error) + "\r\n";
      return kArcErrorNotArcFile;
    }
    TPrivateFolder staging("nuraarj");
    if (staging.Path().empty()) return kArcErrorMakeDirectory;
    std::string output;
    if (Run({"x", "-+", "-y", "-i", "-2h", request.archive, staging.Path() + "/"}, output) != 0) {
      messages += Utf8ToSjis(output) + "\r\n";
      return kArcErrorBrokenData;
    }
    return PlaceStagedMembers(request, staging.Path(), Staged(entries), messages);
  }

  // The members with where the program put them (it strips ".." and a
  // leading "/"); the move refuses hostile names by the listed name.
  static std::vector<TStagedMember> Staged(const std::vector<TArjEntry>& entries) {
    std::vector<TStagedMember> staged;
    for (const TArjEntry& e : entries) staged.push_back({e.member, StoredMemberName(e.raw)});
    return staged;
  }

  std::string program_;
  std::map<TArchiveHandle, TListing> listings_;
  TArchiveHandle nextHandle_ = 1;
};

}  // namespace

// The library when `arj` is on the program search path; none otherwise,
// so the wrapper reports that the format needs it.
std::unique_ptr<TArchiverLibrary> MakeArjLibrary() {
  const std::string program = FindProgramOnPath("arj");
  if (program.empty()) return nullptr;
  return std::make_unique<TArjLibrary>(program);
}

}  // namespace nura
