// A file stream with a 4,096-byte read buffer and line reading and
// writing, behind the file-handle commands. Lines end with CR, LF or
// CR LF when read and with CR LF when written; a two-byte Shift-JIS
// character is never split at a line end.
#pragma once

#include <cstdint>
#include <string>

#include "engine/errors.h"
#include "platform/native_file.h"

namespace nura {

// Failures of the file stream (opening, reading, writing, seeking).
class EStreamError : public ERuntimeError {
 public:
  using ERuntimeError::ERuntimeError;
};

// The open modes of the stream: the access in the low two bits (0 read,
// 1 write, 2 read-write), sharing bits above them (not enforced here), and
// the create mode, which makes the file anew, empty, for reading and
// writing.
enum : uint32_t {
  kOpenRead = 0x0000,
  kOpenWrite = 0x0001,
  kOpenReadWrite = 0x0002,
  kOpenCreate = 0xFFFF,
};

class TTextFileStream {
 public:
  static constexpr size_t kBufferSize = 4096;

  // Opens `nativePath` with `mode`; EStreamError when it cannot. Only
  // regular files open: folders, pipes and devices fail like a missing file.
  TTextFileStream(const std::string& nativePath, uint32_t mode);
  ~TTextFileStream();
  TTextFileStream(const TTextFileStream&) = delete;
  TTextFileStream& operator=(const TTextFileStream&) = delete;

  // The next line without its line break into `line` (emptied first; its
  // buffer is reused). Nothing of `line` is kept by the stream.
  void ReadLine(std::string& line);
  // The same into a buffer the stream keeps; valid until the next ReadLine.
  const std::string& ReadLine() {
    ReadLine(line_);
    return line_;
  }
  bool Eof();
  // Writes `text` and CR LF at the logical position.
  void WriteLine(const std::string& text);
  // Raw bytes at the logical position (the position a script sees, also
  // after a buffered line read); Read returns fewer at the end of the file.
  std::string Read(size_t count);
  void Write(const std::string& bytes);
  // Moves the file position; the result becomes the logical position.
  int64_t Seek(int64_t offset, TSeekOrigin origin);
  int64_t Size();
  // The position of the next unread byte as the script sees it.
  int64_t Position();

 private:
  bool Fill();
  // The end of the bytes from readPos_ that go into a line at once: before
  // the first line end, or a lead byte that ends the buffer.
  size_t PlainRunEnd() const;
  // The first byte from `from` that may end a line (CR, LF or NUL), or
  // the buffer's end.
  size_t LineEndFrom(size_t from) const;
  void DropBuffer();
  int64_t SeekRaw(int64_t offset, TSeekOrigin origin);
  [[noreturn]] void Fail(const char* what);

  TNativeFile file_;
  std::string path_;
  char buffer_[kBufferSize];
  std::string line_;  // the last line read
  size_t readPos_ = 0;  // the next unread byte of the buffer
  size_t endPos_ = 0;   // the end of the bytes in the buffer (0: empty)
  int64_t logicalPos_ = 0;   // 0: not set, the file position counts
  // The descriptor's own position, which only this stream moves: a fill
  // advances it by the bytes read, so it is known without asking (while
  // the buffer holds bytes, it is where the buffer's end lies in the file).
  int64_t filePos_ = 0;
};

}  // namespace nura
