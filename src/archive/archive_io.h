// Reading, extracting and writing archives for the backends: libarchive
// reads every format and writes ZIP, tar and its kin and 7z; our own
// writers make LHA and CAB. Names are UTF-8 with "/" here; libarchive
// converts them through the thread's LC_CTYPE, which TUtf8Locale sets to
// UTF-8 for the length of a backend call. Shift-JIS names inside LHA, ZIP
// and CAB archives are read (and written for ZIP) as code page 932.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <locale.h>

#include "archive/archiver_options.h"
#include "archive/data_blocks.h"

struct archive;
struct archive_entry;

namespace nura {

class TAtomicFileWriter;

enum class TBackendFormat { Lha, Zip, Cab, Tar, Rar, SevenZip };

// UTF-8 character conversion for this thread while it lives.
class TUtf8Locale {
 public:
  TUtf8Locale();
  ~TUtf8Locale();
  TUtf8Locale(const TUtf8Locale&) = delete;
  TUtf8Locale& operator=(const TUtf8Locale&) = delete;

 private:
  locale_t previous_ = nullptr;
};

struct TMember {
  std::string name;  // UTF-8, "/" between folders, as the archive has it
  int64_t mtime = 0;
  bool folder = false;
  uint64_t size = 0;
};

class TArchiveReader {
 public:
  explicit TArchiveReader(TBackendFormat format);
  ~TArchiveReader();
  TArchiveReader(const TArchiveReader&) = delete;
  TArchiveReader& operator=(const TArchiveReader&) = delete;

  // False when the file is missing or not of the format (see Error()).
  bool Open(const std::string& nativePath);
  // 1: a member was read into `member`; 0: the end; -1: damaged (Error()).
  int Next(TMember& member);
  // The current member's data, at most `limit` bytes; false when damaged.
  bool ReadData(std::string& data, size_t limit = SIZE_MAX);
  // The current member's data in blocks, in order (a hole reads as zeros);
  // false when damaged.
  bool ReadBlocks(const TDataTake& take);
  // True when the current member's header gives its size.
  bool SizeKnown() const;
  std::string Error() const;
  // libarchive's filter code of the outermost compression (0 none).
  int FilterCode() const;
  struct archive* Handle() { return archive_; }
  struct archive_entry* Entry() { return entry_; }

 private:
  TBackendFormat format_;
  struct archive* archive_ = nullptr;
  struct archive_entry* entry_ = nullptr;
};

// The members of an existing archive, walked in order, whose data can be
// read later and more than once: by the walk where it stands, else by a
// fresh reading of the archive that goes forward from there.
class TArchiveMembers {
 public:
  TArchiveMembers(TBackendFormat format, std::string nativePath);
  ~TArchiveMembers();
  bool Open();
  // As TArchiveReader::Next.
  int Next(TMember& member);
  bool SizeKnown() const;
  std::string Error() const;
  // The data of the member that Next gave last.
  TDataBlocks Blocks() const;

 private:
  struct TState;
  std::shared_ptr<TState> state_;
};

// What extraction does with a member whose file already exists.
enum class TOverwrite {
  Newer,   // replaced only when the member is newer than the file
  Always,  // always replaced
  Skip,    // never replaced
  Rename,  // the member is written under a numbered name beside it
  Ask,     // replaced when TExtractRequest::askOverwrite says yes
};

struct TExtractRequest {
  std::string archive;      // native path
  std::string destination;  // native folder; empty: the current folder
  std::vector<std::string> patterns;  // member names or wildcards (Shift-JIS); empty: all
  bool junkPaths = false;
  TOverwrite overwrite = TOverwrite::Newer;
  TArchiverProgressSink* progress = nullptr;
  // TOverwrite::Ask: the member's name (UTF-8); true replaces the file.
  std::function<bool(const std::string& member)> askOverwrite;
};

// Extracts into the destination and never outside it: members whose name
// holds "..", is absolute or starts with a drive letter are refused
// (a "\" counts as "/"), links that would lead outside are refused, and no
// member is written through a symbolic link. Each refusal is reported in
// `messages` and makes the result an error code; the others are written.
int ExtractArchive(TBackendFormat format, const TExtractRequest& request, std::string& messages);

// A member that another program extracted into a private staging folder.
struct TStagedMember {
  TMember member;      // the name as the archive lists it (UTF-8)
  std::string staged;  // where the program wrote it, relative to the staging folder
};

// Moves the listed members from `staging` into the destination under the
// rules of ExtractArchive: names checked, nothing but plain files moved,
// no link followed, existing files as `request.overwrite` says. Members
// not listed stay behind.
int PlaceStagedMembers(const TExtractRequest& request, const std::string& staging,
                       const std::vector<TStagedMember>& members, std::string& messages);

// Whether a member may be written at `relative` (UTF-8, "/") below the
// real folder `root`: no folder on the way is a symbolic link; a hard link
// (`hardlinkRelative`, its target below `root`) only to a regular file; a
// symbolic link (`type` AE_IFLNK) only when its target climbs with ".." at
// its start alone and stays inside both as written and as the folders on
// disk resolve; otherwise only regular files and folders. With `wayChecked`
// the caller knows the folders on the way to be no links.
bool SafeToExtract(const std::string& root, const std::string& relative, unsigned type, const char* symlinkTarget,
                   const std::string* hardlinkRelative, bool wayChecked = false);

// True when the member (UTF-8 path below the destination) is named by one
// of the patterns (Shift-JIS names or wildcards; a pattern without a folder also
// matches the last component); every member when there are no patterns.
bool MemberSelected(const std::vector<std::string>& patterns, const std::string& relative);

// The name a member is stored under: "\" made "/", a drive letter and
// leading "/" dropped, "." and ".." components removed.
std::string StoredMemberName(const std::string& utf8Path);

// Native paths taken relative to their folder: the descriptor of the last
// folder stays open while the paths that follow lie in it.
class TFolderDescriptor {
 public:
  TFolderDescriptor() = default;
  ~TFolderDescriptor();
  TFolderDescriptor(const TFolderDescriptor&) = delete;
  TFolderDescriptor& operator=(const TFolderDescriptor&) = delete;
  // The descriptor to open or look up `native` at with `name`, its part
  // after the folder; AT_FDCWD with the whole path when it has no folder
  // part or the folder cannot be opened.
  int At(const std::string& native, const char*& name);

 private:
  std::string folder_;  // the folder last opened (fd_ -1 when that failed)
  int fd_ = -1;
};

// Receives the members of a new archive in order.
class TMemberSink {
 public:
  enum TResult { kAdded, kUnreadable, kUnwritable };
  virtual ~TMemberSink() = default;
  virtual bool Add(const TMember& member, std::string_view data) = 0;
  // Adds a member whose `member.size` bytes come from `blocks`. This one
  // reads them whole; writers that can stream do not. kUnreadable when the
  // blocks cannot be read or are not that size.
  virtual TResult AddBlocks(const TMember& member, const TDataBlocks& blocks);
  // Adds the native file as `member` (whose size is the file's) through
  // AddBlocks.
  TResult AddFile(const TMember& member, const std::string& native);
  virtual bool Finish() = 0;
  std::string error;

 protected:
  // kUnreadable with the message for a file or member that cannot be
  // opened, or that changed or became unreadable while it was read.
  TResult Unreadable(const std::string& name);
  TResult Changed(const std::string& name);

 private:
  std::string readBuffer_;  // for the files that AddFile reads
  TFolderDescriptor folder_;  // of the files that AddFile opens
};

// True when the tar header of `member` (a file) needs no extended
// header: a name of printable ASCII that fits the header's name field, a
// time and a size in the range the pax writer keeps in the header alone.
// Such a member's header is the same in the ustar and the pax format.
bool FitsPlainTarHeader(const TMember& member);

// A writer for `format` into the open save `out` (committed by the caller
// after Finish); the kind of tar-family archive follows the extension of
// `archiveName` (and `tarFilter`: "gzip", "bzip2" or empty). `level` 0
// stores, -1 is the default. `plainMembers`: every member to be written
// is a file that FitsPlainTarHeader, so a tar is written by the ustar
// writer, which gives the same bytes as the pax writer for them without
// its copy of every entry. nullptr with `error` set when the format
// cannot be written.
std::unique_ptr<TMemberSink> OpenMemberSink(TBackendFormat format, const std::string& archiveName,
                                            TAtomicFileWriter& out, int level,
                                            const std::string& tarFilter, std::string& error,
                                            bool plainMembers = false);

}  // namespace nura
