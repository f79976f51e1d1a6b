// The archiver libraries built into the program. Each reads the command
// lines of its format wrapper and works through archive_io: extraction
// (never outside the destination, never asking about existing files),
// packing into a new archive that replaces the old one only when it is
// complete, deletion and freshening by rewriting, listing, checks and
// memory extraction.
//
// Existing files on extraction: replaced only when the member is newer,
// unless the format's overwrite switch is given (LHA and CAB "-c1" / "-o",
// ZIP "-o", tar "--overwrite", 7z "-aoa"); 7z "-aos" keeps them and "-aou"
// writes the member under a numbered name.
#include <archive.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <unordered_set>

#include "archive/archive_io.h"
#include "archive/backend_library.h"
#include "archive/archiver_library.h"
#include "archive/cmd_opt.h"
#include "archive/command_line_reader.h"
#include "archive/pack_file_list.h"
#include "archive/self_extractor.h"
#include "support/dir_util.h"
#include "support/file_command_support.h"
#include "engine/sjis_text.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace fs = std::filesystem;

namespace {

// How a library's command line is written.
enum class TLineStyle { Lha, ZipUnpack, ZipPack, Cab, Tar, Rar, SevenZip };

struct TBackendJob {
  enum Op { kNone, kExtract, kPack, kDelete, kUpdate, kSfx, kAdjustSfx } op = kNone;
  bool onlyNewer = false;  // update: a member is replaced only by a newer file
  bool fresh = false;      // the old archive's members are not kept
  bool junkPaths = false;
  TOverwrite overwrite = TOverwrite::Newer;
  int level = -1;
  std::string tarFilter;
  std::string archive, folder;  // script paths
  std::vector<std::string> files;
  TArchiverOptions selection;   // r, a, p, jo, job, jx for packing by patterns
};

// Undoes the ZIP wrapper's name transform: "[-]" at the start, "[[]".
std::string UnescapeZipName(const std::string& name) {
  std::string out;
  size_t i = 0;
  if (name.compare(0, 3, "[-]") == 0) {
    out = "-";
    i = 3;
  }
  while (i < name.size()) {
    if (IsSjisLead(static_cast<unsigned char>(name[i])) && i + 1 < name.size()) {
      out += name.substr(i, 2);
      i += 2;
    } else if (name.compare(i, 3, "[[]") == 0) {
      out += '[';
      i += 3;
    } else {
      out += name[i++];
    }
  }
  return out;
}

bool StartsWith(std::string_view text, std::string_view head) {
  return text.substr(0, head.size()) == head;
}

void ReadCommand(TLineStyle style, const std::string& word, TBackendJob& job, size_t& first) {
  using J = TBackendJob;
  struct Word {
    TLineStyle style;
    const char* word;
    J::Op op;
    bool junk;
  };
  static const Word kWords[] = {
      {TLineStyle::Lha, "x", J::kExtract, false},      {TLineStyle::Lha, "e", J::kExtract, true},
      {TLineStyle::Lha, "u", J::kPack, false},         {TLineStyle::Lha, "a", J::kPack, false},
      {TLineStyle::Lha, "d", J::kDelete, false},       {TLineStyle::Lha, "f", J::kUpdate, false},
      {TLineStyle::Lha, "s", J::kSfx, false},          {TLineStyle::ZipUnpack, "-x", J::kExtract, false},
      {TLineStyle::ZipPack, "-d", J::kDelete, false},  {TLineStyle::ZipPack, "-f", J::kUpdate, false},
      {TLineStyle::ZipPack, "-A", J::kAdjustSfx, false},
      {TLineStyle::Cab, "-x", J::kExtract, false},     {TLineStyle::Cab, "-a", J::kPack, false},
      {TLineStyle::Cab, "-f", J::kSfx, false},         {TLineStyle::Tar, "x", J::kExtract, false},
      {TLineStyle::Tar, "c", J::kPack, false},         {TLineStyle::Rar, "-x", J::kExtract, false},
      {TLineStyle::Rar, "-e", J::kExtract, true},      {TLineStyle::SevenZip, "x", J::kExtract, false},
      {TLineStyle::SevenZip, "e", J::kExtract, true},  {TLineStyle::SevenZip, "u", J::kPack, false},
      {TLineStyle::SevenZip, "a", J::kPack, false},    {TLineStyle::SevenZip, "d", J::kDelete, false},
  };
  for (const Word& w : kWords) {
    if (w.style == style && word == w.word) {
      job.op = w.op;
      job.junkPaths = w.junk;
      job.onlyNewer = word == "u";  // LHA and 7z: only newer files replace members
      job.fresh = style == TLineStyle::Tar && word == "c";  // tar creates anew
      first = 1;
      return;
    }
  }
  // The ZIP pack command has no command word.
  if (style == TLineStyle::ZipPack) job.op = J::kPack;
}

// One switch (without its "-") of the style's own set; unknown ones are
// ignored, as the libraries do with switches they do not need.
void ReadSwitch(TLineStyle style, const std::string& sw, TBackendJob& job) {
  TArchiverOptions& o = job.selection;
  switch (style) {
    case TLineStyle::Lha:
      ApplyLhaSwitch(sw, o);
      break;
    case TLineStyle::Cab:
    case TLineStyle::ZipUnpack:
    case TLineStyle::Rar:
      if (sw == "o") job.overwrite = TOverwrite::Always;
      else if (sw == "j") job.junkPaths = true;
      else if (sw == "r") o.r = 1;
      break;
    case TLineStyle::ZipPack:
      if (sw == "S") o.a = 1;
      else if (sw == "u") job.onlyNewer = true;
      else if (sw == "r") o.r = 1;
      else if (sw == "j") job.junkPaths = true;
      else if (sw.size() == 1 && sw[0] >= '0' && sw[0] <= '9') job.level = sw[0] - '0';
      break;
    case TLineStyle::Tar:
      if (sw[0] == 'z' || sw[0] == 'B') {
        job.tarFilter = sw[0] == 'z' ? "gzip" : "bzip2";
        if (sw.size() == 2 && sw[1] >= '0' && sw[1] <= '9') job.level = sw[1] - '0';
      } else if (sw[0] == 'f') {
        job.archive = sw.substr(1);
      } else if (sw[0] == 'o') {
        job.folder = sw.substr(1);
      } else if (sw == "-use-directory=0") {
        job.junkPaths = true;
      } else if (sw == "-overwrite") {
        job.overwrite = TOverwrite::Always;
      }
      break;
    case TLineStyle::SevenZip:
      if (sw == "aou") job.overwrite = TOverwrite::Rename;
      else if (sw == "aos") job.overwrite = TOverwrite::Skip;
      else if (sw == "aoa") job.overwrite = TOverwrite::Always;
      else if (sw == "r-") o.r = 0;
      else if (sw == "r") o.r = 1;
      else if (StartsWith(sw, "x!")) o.jx.push_back(sw.substr(2));
      else if (sw[0] == 'o') job.folder = sw.substr(1);
      break;
  }
}

// Reads the line into `job`; false with a message when a response file
// cannot be read.
bool ReadJob(TLineStyle style, const std::string& line, bool hasCommand, TBackendJob& job,
             std::string& messages) {
  std::vector<TCommandPiece> pieces = SplitArchiverCommandLine(line);
  size_t i = 0;
  if (hasCommand && !pieces.empty()) ReadCommand(style, pieces[0].text, job, i);
  std::vector<std::string> positional;
  for (; i < pieces.size(); ++i) {
    const std::string& text = pieces[i].text;
    if (positional.empty() && text.size() > 1 && text[0] == '-') {
      ReadSwitch(style, text.substr(1), job);
      continue;
    }
    if (!positional.empty() && text.size() > 1 && text[0] == '@') {
      if (!ReadResponseFile(text.substr(1), positional)) {
        messages += SJ("レスポンスファイル\"") + text.substr(1) + SJ("\"を読めません。\r\n");
        return false;
      }
      continue;
    }
    positional.push_back(std::move(pieces[i].text));
  }
  size_t at = 0;
  const bool archiveBySwitch = style == TLineStyle::Tar;
  if (!archiveBySwitch && at < positional.size()) job.archive = positional[at++];
  const bool folderPositional = style != TLineStyle::Tar && style != TLineStyle::SevenZip;
  if (folderPositional && at < positional.size() && EndsWithSeparator(positional[at]))
    job.folder = positional[at++];
  for (; at < positional.size(); ++at) {
    const bool zip = style == TLineStyle::ZipPack || style == TLineStyle::ZipUnpack;
    job.files.push_back(zip ? UnescapeZipName(positional[at]) : std::move(positional[at]));
  }
  if (style == TLineStyle::Lha) {
    const TArchiverOptions& o = job.selection;
    if (o.x == 0) job.junkPaths = true;
    if (o.c > 0) job.overwrite = TOverwrite::Always;
    if (o.z > 0) job.level = 0;
  }
  return true;
}

std::string NativeFolder(const std::string& folder) {
  std::string native = ScriptPathToNative(folder);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  return native;
}

void AddMessage(std::string& messages, const std::string& utf8) {
  messages += Utf8ToSjis(utf8) + "\r\n";
}

// A file to pack: its name in the list, its native path, the name it is
// stored under, its time and size, and its device and inode.
struct TPackFile {
  std::string listName, native, stored;
  int64_t mtime = 0;
  uint64_t size = 0;
  dev_t device = 0;
  ino_t inode = 0;
};

TExtractRequest RequestOf(const TBackendJob& job) {
  TExtractRequest request;
  request.archive = ScriptPathToNative(job.archive);
  request.destination = job.folder.empty() ? "" : NativeFolder(job.folder);
  request.patterns = job.files;
  request.junkPaths = job.junkPaths;
  request.overwrite = job.overwrite;
  return request;
}

class TFormatLibrary : public TBackendLibrary {
 public:
  TFormatLibrary(TBackendFormat format, TLineStyle style, std::string prefix, bool archiveType)
      : format_(format), style_(style), prefix_(std::move(prefix)), archiveType_(archiveType) {}

  bool HasExport(std::string_view name) const override {
    static const std::set<std::string, std::less<>> kOperations = {
        "", "CheckArchive", "OpenArchive", "CloseArchive", "FindFirst", "FindNext", "ExtractMem",
        "SetOwnerWindowEx", "KillOwnerWindowEx", "GetWriteTimeEx", "GetCreateTimeEx",
        "GetAccessTimeEx", "GetOriginalSizeEx", "GetCompressedSizeEx"};
    if (!StartsWith(name, prefix_)) return false;
    const std::string_view op = name.substr(prefix_.size());
    return kOperations.count(op) > 0 || (archiveType_ && op == "GetArchiveType");
  }

  int Command(TWindowHandle, const std::string& line, std::string& output, size_t size) override {
    TUtf8Locale locale;
    std::string messages;
    TBackendJob job;
    int result = kArcErrorCommandName;
    if (ReadJob(style_, line, true, job, messages)) {
      switch (job.op) {
        case TBackendJob::kExtract: result = Extract(job, messages); break;
        case TBackendJob::kPack:
        case TBackendJob::kDelete:
        case TBackendJob::kUpdate: result = Rewrite(job, messages); break;
        case TBackendJob::kAdjustSfx:
          // Readers find a ZIP archive behind a program stub by its
          // central directory: the offsets need no adjustment.
          result = kArcOk;
          break;
        case TBackendJob::kSfx:
          if (format_ != TBackendFormat::Lha)
            throw EArchiver(SJ("この形式では自己解凍書庫の作成をサポートしておりません。"));
          result = MakeSfx(job, messages);
          break;
        case TBackendJob::kNone:
          AddMessage(messages, "このコマンドは使えません。");
          break;
      }
    } else {
      result = kArcErrorFileOpen;
    }
    output = size == 0 ? std::string() : messages.substr(0, size - 1);
    return result;
  }

  bool CheckArchive(const std::string& name, int) override {
    TUtf8Locale locale;
    TArchiveReader reader(format_);
    TMember member;
    return reader.Open(ScriptPathToNative(name)) && reader.Next(member) == 1;
  }

  TArchiveHandle OpenArchive(TWindowHandle, const std::string& name, int) override {
    TUtf8Locale locale;
    auto listing = std::make_unique<TListing>();
    listing->path = ScriptPathToNative(name);
    if (!Reopen(*listing)) return 0;
    const TArchiveHandle handle = nextHandle_++;
    listings_[handle] = std::move(listing);
    return handle;
  }

  int CloseArchive(TArchiveHandle handle) override {
    return listings_.erase(handle) ? 0 : kArcErrorNotArcFile;
  }

  int FindFirst(TArchiveHandle handle, const std::string& wildcard, TIndividualInfo& info) override {
    TUtf8Locale locale;
    TListing* listing = Find(handle);
    if (!listing || !Reopen(*listing)) return -1;
    listing->wildcard = wildcard;
    return FindNextMember(*listing, info);
  }

  int FindNext(TArchiveHandle handle, TIndividualInfo& info) override {
    TUtf8Locale locale;
    TListing* listing = Find(handle);
    return listing ? FindNextMember(*listing, info) : -1;
  }

  int ExtractMem(TWindowHandle, const std::string& line, std::string& buffer, size_t size,
                 std::string& output) override {
    TUtf8Locale locale;
    TBackendJob job;
    std::string messages;
    int result = kArcErrorFileOpen;
    if (ReadJob(style_, line, false, job, messages)) result = ReadOneMember(job, buffer, size, messages);
    output = messages;
    return result;
  }

  bool GetWriteTimeEx(TArchiveHandle handle, uint64_t& time) override {
    TListing* l = Find(handle);
    if (!l || !l->has) return false;
    time = UnixTimeToFileTime(l->current.mtime);
    return true;
  }
  bool GetOriginalSizeEx(TArchiveHandle handle, uint64_t& size) override {
    TListing* l = Find(handle);
    if (!l || !l->has) return false;
    size = l->current.size;
    return true;
  }

  int GetArchiveType(const std::string& name) override {
    TUtf8Locale locale;
    TArchiveReader reader(format_);
    TMember member;
    if (!reader.Open(ScriptPathToNative(name)) || reader.Next(member) != 1) return 0;
    switch (reader.FilterCode()) {
      case ARCHIVE_FILTER_GZIP: return 2;
      case ARCHIVE_FILTER_COMPRESS: return 4;
      case ARCHIVE_FILTER_BZIP2: return 6;
      default: return 1;
    }
  }

 private:
  struct TListing {
    std::string path;
    std::unique_ptr<TArchiveReader> reader;
    std::string wildcard;
    TMember current;
    bool has = false;
  };

  TListing* Find(TArchiveHandle handle) {
    auto it = listings_.find(handle);
    return it == listings_.end() ? nullptr : it->second.get();
  }

  bool Reopen(TListing& listing) {
    listing.reader = std::make_unique<TArchiveReader>(format_);
    listing.has = false;
    return listing.reader->Open(listing.path);
  }

  int FindNextMember(TListing& listing, TIndividualInfo& info) {
    const bool all = listing.wildcard.empty() || listing.wildcard == "*" || listing.wildcard == "*.*";
    while (listing.reader->Next(listing.current) == 1) {
      if (!all && !MemberSelected({listing.wildcard}, listing.current.name)) continue;
      listing.has = true;
      FillRecord(listing.current, info);
      return 0;
    }
    listing.has = false;
    return -1;
  }

  int Extract(const TBackendJob& job, std::string& messages) {
    TExtractRequest request = RequestOf(job);
    request.progress = sink_;
    return ExtractArchive(format_, request, messages);
  }

  // The program that the LHA library writes: the folder (else the
  // archive's) + the archive's name cut to eight characters + ".exe".
  static int MakeSfx(const TBackendJob& job, std::string& messages) {
    const std::string folder = job.folder.empty() ? ExtractFolderPart(job.archive) : job.folder;
    const std::string base = ExtractNamePart(ChangeExtension(job.archive, ""));
    const std::string program = JoinPathName(folder, SjisCopy(base, 1, 8) + ".exe");
    return WriteSelfExtractor(ScriptPathToNative(job.archive), ScriptPathToNative(program),
                              job.junkPaths, job.overwrite == TOverwrite::Always, messages);
  }

  int ReadOneMember(const TBackendJob& job, std::string& buffer, size_t size, std::string& messages) {
    TArchiveReader reader(format_);
    if (!reader.Open(ScriptPathToNative(job.archive))) {
      AddMessage(messages, reader.Error());
      return kArcErrorArcFileOpen;
    }
    TMember member;
    int next;
    while ((next = reader.Next(member)) == 1) {
      if (member.folder || !MemberSelected(job.files, StoredMemberName(member.name))) continue;
      if (!reader.ReadData(buffer, size)) break;
      return kArcOk;
    }
    AddMessage(messages, next < 0 ? reader.Error() : "指定のファイルは書庫にありません。");
    return next < 0 ? kArcErrorBrokenData : kArcErrorNotFileName;
  }

  // The files that the patterns name: wildcards and folders expanded, plain
  // names taken as they are. False when a named file does not exist.
  bool ListPackFiles(const TBackendJob& job, std::vector<TPackFile>& files, std::string& messages) {
    TArchiverOptions options = job.selection;
    bool cancelled = false;
    const std::vector<std::string> excluded =
        CollectFiles(options, job.folder, options.jx, false, cancelled, nullptr, nullptr);
    const std::set<std::string> exclusions(excluded.begin(), excluded.end());
    // Names seen are recorded only once a name could come twice: plain
    // names in rising order, as the packing list gives them, cannot.
    std::unordered_set<std::string> seen;
    bool recordSeen = false;
    const std::string* previous = nullptr;
    files.reserve(job.files.size());
    std::vector<std::string> names;
    for (const std::string& pattern : job.files) {
      names.clear();
      TPackedFileStatus named;
      const bool folder = options.r > 1 && StatPackFile(NativePathUnder(job.folder, pattern), named) &&
                          S_ISDIR(named.mode);
      if (HasFileWildcard(pattern) || folder) {
        names = CollectFiles(options, job.folder, {pattern}, true, cancelled, nullptr, &exclusions);
        if (!recordSeen) StartRecordingSeen(files, seen, recordSeen);
      } else if (!exclusions.count(pattern)) {
        if (!recordSeen && previous && !(*previous < pattern)) StartRecordingSeen(files, seen, recordSeen);
        previous = &pattern;
        names.push_back(pattern);
      }
      for (const std::string& name : names) {
        if (recordSeen && !seen.insert(name).second) continue;
        TPackFile file;
        file.listName = name;
        file.native = NativePathUnder(job.folder, name);
        TPackedFileStatus status;
        if (!StatPackFile(file.native, status) || !S_ISREG(status.mode)) {
          AddMessage(messages, SjisToUtf8(name) + ": ファイルが見つかりません。");
          return false;
        }
        file.mtime = status.mtime;
        file.size = status.size;
        file.device = status.device;
        file.inode = status.inode;
        const std::string utf8 = SjisToUtf8(name);
        file.stored = StoredMemberName(job.junkPaths ? fs::path(utf8).filename().string() : utf8);
        if (file.stored.empty()) continue;
        files.push_back(std::move(file));
      }
    }
    return true;
  }

  // From here on every name taken is recorded in `seen`, the names taken
  // so far first.
  static void StartRecordingSeen(const std::vector<TPackFile>& files, std::unordered_set<std::string>& seen,
                                 bool& recordSeen) {
    recordSeen = true;
    for (const TPackFile& file : files) seen.insert(file.listName);
  }

  // Pack, delete and freshen: the new archive is saved through
  // TAtomicFileWriter, so the old one stays until the new one is complete.
  int Rewrite(const TBackendJob& job, std::string& messages) {
    const std::string target = ScriptPathToNative(job.archive);
    std::vector<TPackFile> files;
    if (job.op != TBackendJob::kDelete && !ListPackFiles(job, files, messages)) return kArcErrorFileOpen;
    if (job.op == TBackendJob::kPack && files.empty()) {
      AddMessage(messages, "書庫に入れるファイルがありません。");
      return kArcErrorFileOpen;
    }
    TAtomicFileWriter out(target);
    if (!out.Open()) {
      AddMessage(messages, target + ": 書庫を作れません。");
      return kArcErrorCannotWrite;
    }
    const int result = WriteArchive(job, target, out, files, messages);
    if (result != kArcOk || out.Commit()) return result;
    AddMessage(messages, target + ": 書庫を書き込めません。");
    return kArcErrorCannotWrite;
  }

  int WriteArchive(const TBackendJob& job, const std::string& target, TAtomicFileWriter& out,
                   std::vector<TPackFile>& files, std::string& messages) {
    std::string error;
    const bool oldMembers = HasOldMembers(job, target);
    // Only the tar family has a choice of header.
    const bool plain = format_ == TBackendFormat::Tar && !oldMembers &&
                       std::all_of(files.begin(), files.end(), [](const TPackFile& file) {
                         return FitsPlainTarHeader(TMember{file.stored, file.mtime, false, file.size});
                       });
    std::unique_ptr<TMemberSink> sink =
        OpenMemberSink(format_, target, out, job.level, job.tarFilter, error, plain);
    if (!sink) {
      AddMessage(messages, error);
      return kArcErrorNotSupport;
    }
    std::vector<bool> wanted(files.size(), job.op == TBackendJob::kPack);
    if (oldMembers) {
      const int kept = CopyOldMembers(job, target, files, wanted, *sink, messages);
      if (kept != kArcOk) return kept;
    }
    // The archive never packs itself; it is looked at once, not per member.
    struct stat self {};
    const bool selfExists = ::stat(target.c_str(), &self) == 0;
    for (size_t i = 0; i < files.size(); ++i) {
      if (!wanted[i]) continue;
      if (selfExists && files[i].device == self.st_dev && files[i].inode == self.st_ino) continue;
      const TPackFile& file = files[i];
      if (sink_) {
        TExtractingInfo info;
        CopyNameField(info.szSourceFileName, sizeof info.szSourceFileName, file.listName);
        CopyNameField(info.szDestFileName, sizeof info.szDestFileName, Utf8ToSjis(file.stored));
        if (sink_->Notify(kArcExtractBegin, info)) return kArcErrorUserCancel;
      }
      const TMember member{file.stored, file.mtime, false, file.size};
      const TMemberSink::TResult added = sink->AddFile(member, file.native);
      if (added != TMemberSink::kAdded) {
        AddMessage(messages, sink->error);
        return added == TMemberSink::kUnreadable ? kArcErrorFileOpen : kArcErrorCannotWrite;
      }
    }
    if (!sink->Finish()) {
      AddMessage(messages, sink->error);
      return kArcErrorCannotWrite;
    }
    return kArcOk;
  }

  // Whether the members of an existing archive are to be kept or
  // replaced: an empty file counts as an empty archive.
  static bool HasOldMembers(const TBackendJob& job, const std::string& target) {
    struct stat st {};
    return !job.fresh && ::stat(target.c_str(), &st) == 0 && st.st_size != 0;
  }

  // Copies the members of an existing archive that stay; marks in `wanted`
  // the files that replace or join them.
  int CopyOldMembers(const TBackendJob& job, const std::string& target, const std::vector<TPackFile>& files,
                     std::vector<bool>& wanted, TMemberSink& sink, std::string& messages) {
    std::map<std::string, size_t> byName;
    for (size_t i = 0; i < files.size(); ++i) byName[files[i].stored] = i;
    TArchiveMembers old(format_, target);
    if (!old.Open()) {
      AddMessage(messages, target + ": " + old.Error());
      return kArcErrorNotArcFile;
    }
    TMember member;
    int next;
    while ((next = old.Next(member)) == 1) {
      const std::string key = StoredMemberName(member.name);
      if (job.op == TBackendJob::kDelete && MemberSelected(job.files, key)) continue;
      auto it = byName.find(key);
      if (it != byName.end() && job.op != TBackendJob::kDelete) {
        const bool newer = files[it->second].mtime > member.mtime;
        if (job.op == TBackendJob::kPack && (!job.onlyNewer || newer)) continue;
        if (job.op == TBackendJob::kUpdate && newer) {
          wanted[it->second] = true;
          continue;
        }
        wanted[it->second] = false;
      }
      member.name = key;
      const TMemberSink::TResult added = CopyMember(old, member, sink);
      if (added == TMemberSink::kUnreadable) break;
      if (added == TMemberSink::kUnwritable) {
        AddMessage(messages, sink.error);
        return kArcErrorCannotWrite;
      }
    }
    if (next != 0) {
      AddMessage(messages, target + ": " + old.Error());
      return kArcErrorBrokenData;
    }
    return kArcOk;
  }

  // One old member into the sink: in blocks when its header gives its
  // size, else read whole.
  static TMemberSink::TResult CopyMember(const TArchiveMembers& old, const TMember& member,
                                         TMemberSink& sink) {
    if (old.SizeKnown() && !member.folder) return sink.AddBlocks(member, old.Blocks());
    std::string data;
    const bool readable = member.folder || old.Blocks()([&](std::string_view block) {
      data.append(block);
      return true;
    });
    if (!readable) return TMemberSink::kUnreadable;
    return sink.Add(member, data) ? TMemberSink::kAdded : TMemberSink::kUnwritable;
  }

  TBackendFormat format_;
  TLineStyle style_;
  std::string prefix_;
  bool archiveType_;
  std::map<TArchiveHandle, std::unique_ptr<TListing>> listings_;
  TArchiveHandle nextHandle_ = 1;
};

}  // namespace

bool ReadLhaExtractLine(const std::string& line, TExtractRequest& request, std::string& messages) {
  TBackendJob job;
  if (!ReadJob(TLineStyle::Lha, line, true, job, messages) || job.op != TBackendJob::kExtract) return false;
  request = RequestOf(job);
  return true;
}

std::unique_ptr<TArchiverLibrary> MakeArjLibrary();

std::vector<std::pair<std::string, TArchiverLibraryFactory>> BuiltinArchiverLibraries() {
  auto make = [](TBackendFormat format, TLineStyle style, const char* prefix, bool archiveType = false) {
    return [=]() -> std::unique_ptr<TArchiverLibrary> {
      return std::make_unique<TFormatLibrary>(format, style, prefix, archiveType);
    };
  };
  return {
      {"UNLHA32.DLL", make(TBackendFormat::Lha, TLineStyle::Lha, "Unlha")},
      {"UNZIP32.DLL", make(TBackendFormat::Zip, TLineStyle::ZipUnpack, "UnZip")},
      {"ZIP32J.DLL", make(TBackendFormat::Zip, TLineStyle::ZipPack, "Zip")},
      {"CAB32.DLL", make(TBackendFormat::Cab, TLineStyle::Cab, "Cab")},
      {"TAR32.DLL", make(TBackendFormat::Tar, TLineStyle::Tar, "Tar", true)},
      {"UNRAR32.DLL", make(TBackendFormat::Rar, TLineStyle::Rar, "Unrar")},
      {"7-zip32.dll", make(TBackendFormat::SevenZip, TLineStyle::SevenZip, "SevenZip")},
      {"arj", MakeArjLibrary},
  };
}

}  // namespace nura
