// The packing file list: expands file patterns (wildcards, folder recursion,
// a date window, hidden files, exclusions) into a sorted list of existing
// files, so that an archiver library receives plain names. Names are
// script paths (Shift-JIS, "\" or "/"); relative names are taken from the
// base folder. Hidden files are those whose name starts with ".".
// Symbolic links to folders are never entered.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "archive/archive_io.h"
#include "archive/archiver_options.h"

namespace nura {

// Receives progress (state, info); returning true cancels.
using TPackProgress = std::function<bool(int state, TExtractingInfo& info)>;

// Expands the patterns with the switches of `options` from `baseFolder`, then
// resets the switches that the expansion applied (r, jo, job) and sets p to
// 1 in `options`. `cancelled` tells whether the progress callback stopped it.
std::vector<std::string> BuildPackFileList(TArchiverOptions& options,
                                           const std::string& baseFolder,
                                           const std::vector<std::string>& patterns,
                                           bool& cancelled, const TPackProgress& progress);

// The sorted, duplicate-free list of the files that the patterns name. With
// an empty pattern list the inclusion pass takes every file of the base folder
// and the exclusion pass nothing.
std::vector<std::string> CollectFiles(const TArchiverOptions& options,
                                      const std::string& baseFolder,
                                      const std::vector<std::string>& patterns, bool inclusion,
                                      bool& cancelled, const TPackProgress& progress,
                                      const std::set<std::string>* exclusions);

// The date switch text as local time (seconds since 1970); 0 when the text
// sets no limit. `defaultTime` ("hhmmss") stands in for a missing time.
// Non-digits and impossible dates raise ERuntimeError.
int64_t ParseOptionDate(std::string_view text, std::string_view defaultTime);

// The name alone when the folder is empty; folder + name when the folder
// ends in a separator; else folder + "\" + name.
std::string JoinPathName(const std::string& folder, const std::string& name);

// What packing reads of a file's status (links followed).
struct TPackedFileStatus {
  mode_t mode = 0;
  int64_t mtime = 0;
  uint64_t size = 0;
  dev_t device = 0;
  ino_t inode = 0;
};

// The status of the files of one packing, kept while it lives so that
// the command that checks them, the component that lists them and the
// library that packs them look each file up once: StatPackFile answers
// from the living records of the thread and keeps a fresh answer in the
// innermost.
class TPackFileStatus {
 public:
  TPackFileStatus();
  ~TPackFileStatus();
  TPackFileStatus(const TPackFileStatus&) = delete;
  TPackFileStatus& operator=(const TPackFileStatus&) = delete;
  // Room for `count` files, when their number is known ahead.
  void Reserve(size_t count);

 private:
  friend bool StatPackFile(const std::string& native, TPackedFileStatus& status);
  struct TKnownFile {
    TPackedFileStatus status;
    size_t order;  // its place in order_
  };
  using TKnown = std::unordered_map<std::string, TKnownFile>;
  // The status kept for `native`, or nil.
  const TPackedFileStatus* Known(const std::string& native) const;
  void Keep(const std::string& native, const TPackedFileStatus& status);
  TKnown known_;  // by native path
  // The entries in the order they were kept, and where the next look-up
  // is expected: each pass over the files goes down the same list.
  std::vector<const TKnown::value_type*> order_;
  mutable size_t next_ = 0;
  TFolderDescriptor folder_;  // of the files looked up
  TPackFileStatus* outer_;
};

// stat(2) of the native path (links followed); a living record answers
// for a path it holds.
bool StatPackFile(const std::string& native, TPackedFileStatus& status);

// The native path of a script path, relative ones taken from `baseFolder`.
std::string NativePathUnder(const std::string& baseFolder, const std::string& path);

}  // namespace nura
