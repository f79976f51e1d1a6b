#include "commands/text_file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

namespace {

int OpenFlags(uint32_t mode) {
  if (mode == kOpenCreate || (mode & 0xFF00) == 0xFF00) return O_RDWR | O_CREAT | O_TRUNC;
  switch (mode & 3) {
    case kOpenRead: return O_RDONLY;
    case kOpenWrite: return O_WRONLY;
    case kOpenReadWrite: return O_RDWR;
    default: return -1;
  }
}

}  // namespace

TTextFileStream::TTextFileStream(const std::string& nativePath, uint32_t mode) : path_(nativePath) {
  const int flags = OpenFlags(mode);
  // Only regular files: a pipe or device could block a read forever (the
  // open itself does not wait, thanks to O_NONBLOCK, cleared afterwards).
  if (flags >= 0) fd_ = ::open(nativePath.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  struct stat st {};
  if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) ||
                   ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK) != 0)) {
    ::close(fd_);
    fd_ = -1;
  }
  if (fd_ < 0) {
    throw EStreamError(SJ("ファイル\"") + NativePathToScript(nativePath) + SJ("\"を開けません。"));
  }
}

TTextFileStream::~TTextFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

void TTextFileStream::Fail(const char* what) { throw EStreamError(SJ(what)); }

void TTextFileStream::DropBuffer() { readPos_ = endPos_ = 0; }

int64_t TTextFileStream::SeekRaw(int64_t offset, int whence) {
  const off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
  if (r < 0) Fail("ストリームのシークエラー");
  return r;
}

bool TTextFileStream::Fill() {
  DropBuffer();
  ssize_t n;
  do {
    n = ::read(fd_, buffer_, kBufferSize);
  } while (n < 0 && errno == EINTR);
  if (n < 0) Fail("ストリーム読み込みエラー");
  if (n == 0) return false;
  endPos_ = static_cast<size_t>(n);
  posAfterFill_ = SeekRaw(0, SEEK_CUR);
  return true;
}

std::string TTextFileStream::ReadLine() {
  std::string line;
  auto more = [this] { return readPos_ < endPos_ || Fill(); };
  while (more()) {
    const unsigned char c = static_cast<unsigned char>(buffer_[readPos_++]);
    if (IsSjisLead(c)) {
      line += static_cast<char>(c);
      if (!more()) break;
      line += buffer_[readPos_++];  // the trail byte, maybe from the next fill
      continue;
    }
    if (c == '\n' || c == '\0') break;
    if (c == '\r') {
      if (more() && buffer_[readPos_] == '\n') ++readPos_;
      break;
    }
    line += static_cast<char>(c);
  }
  logicalPos_ = endPos_ == 0 ? 0 : posAfterFill_ - static_cast<int64_t>(endPos_ - readPos_);
  return line;
}

int64_t TTextFileStream::Size() {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) Fail("ストリーム読み込みエラー");
  return st.st_size;
}

int64_t TTextFileStream::Position() {
  // A buffer with unread bytes always comes with a logical position.
  return logicalPos_ != 0 ? logicalPos_ : SeekRaw(0, SEEK_CUR);
}

bool TTextFileStream::Eof() { return Position() >= Size(); }

void TTextFileStream::Write(const std::string& bytes) {
  const int64_t pos = Position();
  DropBuffer();
  SeekRaw(pos, SEEK_SET);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      logicalPos_ = pos + static_cast<int64_t>(done);
      Fail("ストリーム書き込みエラー");
    }
    done += static_cast<size_t>(n);
  }
  logicalPos_ = pos + static_cast<int64_t>(done);
}

void TTextFileStream::WriteLine(const std::string& text) { Write(text + "\r\n"); }

std::string TTextFileStream::Read(size_t count) {
  const int64_t pos = Position();
  DropBuffer();
  SeekRaw(pos, SEEK_SET);
  std::string bytes;
  char chunk[kBufferSize];
  while (bytes.size() < count) {
    const ssize_t n = ::read(fd_, chunk, std::min(count - bytes.size(), sizeof chunk));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("ストリーム読み込みエラー");
    if (n == 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  logicalPos_ = pos + static_cast<int64_t>(bytes.size());
  return bytes;
}

int64_t TTextFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = SEEK_SET;
  if (origin == TSeekOrigin::Current) offset += Position();
  if (origin == TSeekOrigin::End) whence = SEEK_END;
  DropBuffer();
  logicalPos_ = SeekRaw(offset, whence);
  return logicalPos_;
}

}  // namespace nura
