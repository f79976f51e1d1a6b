#include "commands/text_file_stream.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

namespace {

std::optional<TFileAccess> AccessOf(uint32_t mode) {
  if (mode == kOpenCreate || (mode & 0xFF00) == 0xFF00) return TFileAccess::Create;
  switch (mode & 3) {
    case kOpenRead: return TFileAccess::Read;
    case kOpenWrite: return TFileAccess::Write;
    case kOpenReadWrite: return TFileAccess::ReadWrite;
    default: return std::nullopt;
  }
}

}  // namespace

TTextFileStream::TTextFileStream(const std::string& nativePath, uint32_t mode) : path_(nativePath) {
  // Only regular files: a pipe or device could block a read forever.
  const std::optional<TFileAccess> access = AccessOf(mode);
  if (!access || !file_.Open(nativePath, *access)) {
    throw EStreamError(SJ("ファイル\"") + NativePathToScript(nativePath) + SJ("\"を開けません。"));
  }
}

TTextFileStream::~TTextFileStream() = default;

void TTextFileStream::Fail(const char* what) { throw EStreamError(SJ(what)); }

void TTextFileStream::DropBuffer() { readPos_ = endPos_ = 0; }

int64_t TTextFileStream::SeekRaw(int64_t offset, TSeekOrigin origin) {
  const int64_t r = file_.Seek(offset, origin);
  if (r < 0) Fail("ストリームのシークエラー");
  filePos_ = r;
  return r;
}

bool TTextFileStream::Fill() {
  DropBuffer();
  const int64_t n = file_.Read(buffer_, kBufferSize);
  if (n < 0) Fail("ストリーム読み込みエラー");
  if (n == 0) return false;
  endPos_ = static_cast<size_t>(n);
  filePos_ += n;
  return true;
}

namespace {

bool IsLineEnd(unsigned char c) { return c == '\n' || c == '\r' || c == '\0'; }

// Eight bytes at a time: nonzero when one of them may end a line, below
// 0x0E (CR, LF and NUL among them).
constexpr uint64_t kEachByte = 0x0101010101010101;
constexpr uint64_t kTopBits = 0x8080808080808080;
bool AnyLow(uint64_t bytes) { return ((bytes - 0x0E * kEachByte) & ~bytes & kTopBits) != 0; }

}  // namespace

size_t TTextFileStream::LineEndFrom(size_t from) const {
  size_t at = from;
  for (;;) {
    while (endPos_ - at >= 8) {
      uint64_t bytes;
      std::memcpy(&bytes, buffer_ + at, 8);
      if (AnyLow(bytes)) break;
      at += 8;
    }
    // The word with a low byte (or the last bytes) one by one; a tab only
    // looks like an end, and the words go on behind it.
    const size_t wordEnd = std::min(at + 8, endPos_);
    for (; at < wordEnd; ++at) {
      if (IsLineEnd(static_cast<unsigned char>(buffer_[at]))) return at;
    }
    if (at == endPos_) return at;
  }
}

size_t TTextFileStream::PlainRunEnd() const {
  // The first line-end byte is where the line ends unless it is the trail
  // byte of a two-byte character. A line-end byte is no lead byte, so the
  // characters start afresh behind every one of them and behind every
  // byte that is not a lead byte: the lead bytes right before it pair up
  // from the first, and an odd count of them leaves the last one taking it.
  size_t from = readPos_;
  for (;;) {
    const size_t end = LineEndFrom(from);
    size_t leads = 0;
    while (end - leads > from && IsSjisLead(static_cast<unsigned char>(buffer_[end - leads - 1]))) ++leads;
    if (leads % 2 == 0) return end;
    if (end == endPos_) return end - 1;  // a lead byte whose trail is in the next fill
    from = end + 1;                      // a trail byte: the line goes on behind it
  }
}

void TTextFileStream::ReadLine(std::string& line) {
  line.clear();
  auto more = [this] { return readPos_ < endPos_ || Fill(); };
  while (more()) {
    // The characters up to the line end, or up to a lead byte that ends the
    // buffer, go in at once.
    const size_t stop = PlainRunEnd();
    line.append(buffer_ + readPos_, stop - readPos_);
    readPos_ = stop;
    if (readPos_ == endPos_) continue;
    const unsigned char c = static_cast<unsigned char>(buffer_[readPos_++]);
    if (IsSjisLead(c)) {
      line += static_cast<char>(c);
      if (!more()) break;
      line += buffer_[readPos_++];  // the trail byte, from the next fill
      continue;
    }
    if (c == '\r' && more() && buffer_[readPos_] == '\n') ++readPos_;
    break;
  }
  logicalPos_ = endPos_ == 0 ? 0 : filePos_ - static_cast<int64_t>(endPos_ - readPos_);
}

int64_t TTextFileStream::Size() {
  const int64_t size = file_.Size();
  if (size < 0) Fail("ストリーム読み込みエラー");
  return size;
}

int64_t TTextFileStream::Position() {
  // A buffer with unread bytes always comes with a logical position.
  return logicalPos_ != 0 ? logicalPos_ : filePos_;
}

bool TTextFileStream::Eof() {
  // Unread bytes in the buffer lie before the end: no system call.
  if (readPos_ < endPos_) return false;
  return Position() >= Size();
}

void TTextFileStream::Write(const std::string& bytes) {
  const int64_t pos = Position();
  DropBuffer();
  SeekRaw(pos, TSeekOrigin::Begin);
  size_t done = 0;
  const bool ok = file_.Write(bytes.data(), bytes.size(), done);
  filePos_ = logicalPos_ = pos + static_cast<int64_t>(done);
  if (!ok) Fail("ストリーム書き込みエラー");
}

void TTextFileStream::WriteLine(const std::string& text) { Write(text + "\r\n"); }

std::string TTextFileStream::Read(size_t count) {
  const int64_t pos = Position();
  DropBuffer();
  SeekRaw(pos, TSeekOrigin::Begin);
  std::string bytes;
  char chunk[kBufferSize];
  while (bytes.size() < count) {
    const int64_t n = file_.Read(chunk, std::min(count - bytes.size(), sizeof chunk));
    if (n < 0) Fail("ストリーム読み込みエラー");
    if (n == 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  filePos_ = logicalPos_ = pos + static_cast<int64_t>(bytes.size());
  return bytes;
}

int64_t TTextFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  if (origin == TSeekOrigin::Current) {
    offset += Position();
    origin = TSeekOrigin::Begin;
  }
  DropBuffer();
  logicalPos_ = SeekRaw(offset, origin);
  return logicalPos_;
}

}  // namespace nura
