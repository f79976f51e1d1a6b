// Whole-file reading and crash-safe writing of native files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace nura {

// Files larger than this are not read whole.
constexpr size_t kMaxReadFileBytes = size_t{1} << 28;

// Reads the whole file; false when it cannot be read, is no regular file
// (a folder, a device, a FIFO) or holds more than kMaxReadFileBytes.
bool ReadNativeFile(const std::string& nativePath, std::string& bytes);

// Reads the file in blocks of 64 KiB, handing each to `take`, which
// returns false to stop early; false when the file cannot be read or is no
// regular file.
bool ReadNativeFileBlocks(const std::string& nativePath, const std::function<bool(std::string_view)>& take);

// Writes all of `bytes` to the open descriptor (a write cut short goes on);
// false on a write error.
bool WriteToDescriptor(int fd, std::string_view bytes);

// Removes the temporary files "NAME.tmpXXXXXX" beside `target` (NAME its
// file name) that interrupted saves left behind: regular files of this
// user's unchanged for an hour, so a save still under way keeps its own.
// A folder is read at most once a minute (a later reading finds what
// became stale since).
void RemoveStaleTemporariesOf(const std::string& target);
// As above, for a caller that knows the folder's device and inode number
// (saves no look-up of the folder).
void RemoveStaleTemporariesOf(const std::string& target, uint64_t folderDevice, uint64_t folderInode);

// The one way the program saves a file: the bytes go to a temporary file
// beside the target and replace it only when all of them are on disk
// (flushed, then renamed over the target), so a failure or crash midway
// leaves the old file as it was. A symbolic link is followed (its target is
// replaced), except another user's link in a sticky folder that everyone
// may write, unless it is the folder owner's; an existing file keeps its
// permissions. Temporary files of the same target that interrupted saves
// left (unchanged for an hour) are removed.
class TAtomicFileWriter {
 public:
  explicit TAtomicFileWriter(std::string nativePath);
  // A writer that was not committed removes its temporary file.
  ~TAtomicFileWriter();
  TAtomicFileWriter(const TAtomicFileWriter&) = delete;
  TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

  // Creates the temporary file; false when the target cannot be written
  // (no folder, a folder of that name, no permission).
  bool Open();
  // Appends `bytes`; false on a write error.
  bool Write(std::string_view bytes);
  // Writes `bytes` at `offset` (for formats whose index is written last).
  bool WriteAt(uint64_t offset, std::string_view bytes);
  // After Open: the permission bits the file gets in place of the old
  // file's (a copy takes its source's).
  void SetMode(unsigned mode) { mode_ = mode & 07777; }
  // Flushes and puts the file in place of the target; false on any failure
  // (the target then unchanged). With `replace` false an existing target is
  // kept and the commit fails.
  bool Commit(bool replace = true);

 private:
  std::string target_;
  std::string temp_;
  int fd_ = -1;
  unsigned mode_ = 0;
  bool failed_ = false;
};

// The whole file in one step through TAtomicFileWriter; false on any
// failure, the old file then unchanged.
bool WriteFileAtomically(const std::string& nativePath, std::string_view bytes);

// Copies the regular file `source` to `target` through TAtomicFileWriter
// in blocks, with the source's permissions: a failed copy leaves an
// existing target as it was. False also when both are the same file.
bool CopyFileAtomically(const std::string& source, const std::string& target);

// Puts the finished file `source` in place of `target` as a save would
// (a symbolic link followed, an existing file's permissions kept): renamed
// when both lie on one file system, else copied through TAtomicFileWriter
// and then removed. False on failure, `target` then unchanged.
bool ReplaceFileWith(const std::string& source, const std::string& target);

}  // namespace nura
