// Files opened by descriptor, for the stream commands that read and write
// a file piece by piece, and what the file commands ask of a file's record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace nura {

enum class TFileAccess {
  Read,
  Write,
  ReadWrite,
  Create,  // read and write, the file made anew and empty
};

enum class TSeekOrigin { Begin, Current, End };

class TNativeFile {
 public:
  TNativeFile() = default;
  ~TNativeFile();
  TNativeFile(const TNativeFile&) = delete;
  TNativeFile& operator=(const TNativeFile&) = delete;

  // Opens `nativePath`; false when it cannot. Only regular files open: a
  // folder, pipe or device fails like a missing file and never blocks.
  bool Open(const std::string& nativePath, TFileAccess access);
  // Up to `count` bytes; 0 at the end of the file, -1 on an error.
  int64_t Read(void* buffer, size_t count);
  // Writes all `count` bytes; false on an error, `written` then telling how
  // many went out.
  bool Write(const void* data, size_t count, size_t& written);
  // The new position; -1 on an error.
  int64_t Seek(int64_t offset, TSeekOrigin origin);
  // The file's size; -1 on an error.
  int64_t Size();

 private:
  int fd_ = -1;
};

// Creates `nativePath` empty, only when no file of that name exists.
enum class TCreateResult { Created, Exists, Failed };
TCreateResult CreateNewFile(const std::string& nativePath);

// What the file record holds of a file or folder (links followed).
struct TFileStatus {
  int64_t size = 0;
  std::time_t modified = 0;
};
bool ReadFileStatus(const std::string& nativePath, TFileStatus& status);

// `t` in the local time zone.
std::tm LocalTimeOf(std::time_t t);

}  // namespace nura
