// Finds a container appended behind the program file's image. Our program
// is an ELF executable: its image ends with the last of its section table,
// program header table, sections and segments. A PE image (a file starting
// with "M") ends with its last section's raw data.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>

#include "engine/filemix.h"
#include "platform/native_path.h"

namespace nura {
namespace {

// Bounds-checked reads at absolute offsets. The headers are read field by
// field, a few hundred small reads close together: they come from a window
// of the file read at once, so that each costs no seek and no system call.
class FileReader {
 public:
  explicit FileReader(const std::string& nativePath) : in_(nativePath, std::ios::binary) {
    if (!in_) return;
    in_.seekg(0, std::ios::end);
    const std::streamoff end = in_.tellg();
    if (end > 0) size_ = static_cast<uint64_t>(end);
  }

  uint64_t Size() const { return size_; }

  bool Read(uint64_t offset, void* out, size_t n) {
    if (offset > size_ || n > size_ - offset) return false;
    if (n > kWindow) return ReadFile(offset, out, n);
    if (offset < windowStart_ || offset + n > windowStart_ + window_.size()) {
      const uint64_t start = offset & ~uint64_t{kWindow - 1};
      window_.resize(static_cast<size_t>(std::min<uint64_t>(2 * kWindow, size_ - start)));
      if (!ReadFile(start, window_.data(), window_.size())) {
        window_.clear();
        return false;
      }
      windowStart_ = start;
    }
    std::memcpy(out, window_.data() + (offset - windowStart_), n);
    return true;
  }

  // An unsigned little- or big-endian integer of `n` bytes (at most 8).
  std::optional<uint64_t> Uint(uint64_t offset, size_t n, bool bigEndian) {
    unsigned char b[8];
    if (n > sizeof b || !Read(offset, b, n)) return std::nullopt;
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v = v << 8 | b[bigEndian ? i : n - 1 - i];
    return v;
  }

 private:
  static constexpr size_t kWindow = 32 * 1024;

  bool ReadFile(uint64_t offset, void* out, size_t n) {
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(in_.read(static_cast<char*>(out), static_cast<std::streamsize>(n)));
  }

  std::ifstream in_;
  uint64_t size_ = 0;
  std::string window_;  // the bytes from windowStart_ on
  uint64_t windowStart_ = 0;
};

// Field offsets of the ELF structures for one class (32 or 64 bits).
struct ElfLayout {
  size_t word, headerSize, phoff, shoff, phentsize, phnum, shentsize, shnum;
  size_t pOffset, pFilesz, shType, shOffset, shSize;
};
constexpr ElfLayout kElf32 = {4, 52, 28, 32, 42, 44, 46, 48, 4, 16, 4, 16, 20};
constexpr ElfLayout kElf64 = {8, 64, 32, 40, 54, 56, 58, 60, 8, 32, 4, 24, 32};
constexpr uint64_t kShtNobits = 8;
constexpr uint64_t kMaxTableEntries = 1u << 20;

class ElfImage {
 public:
  ElfImage(FileReader& f, const ElfLayout& l, bool be) : f_(f), l_(l), be_(be) {}

  // End of the image, or nullopt when the headers do not fit the file.
  std::optional<uint64_t> End() {
    const auto phoff = U(l_.phoff, l_.word), shoff = U(l_.shoff, l_.word);
    const auto phentsize = U(l_.phentsize, 2), phnum = U(l_.phnum, 2);
    const auto shentsize = U(l_.shentsize, 2);
    auto shnum = U(l_.shnum, 2);
    if (!phoff || !shoff || !phentsize || !phnum || !shentsize || !shnum) return std::nullopt;
    if (*shnum == 0 && *shoff != 0) shnum = U(*shoff + l_.shSize, l_.word);  // extended count
    if (!shnum || (*phnum == 0 && *shnum == 0)) return std::nullopt;
    if (*phnum > kMaxTableEntries || *shnum > kMaxTableEntries) return std::nullopt;
    uint64_t end = l_.headerSize;
    if (!Extend(end, *phoff, *phnum * *phentsize) || !Extend(end, *shoff, *shnum * *shentsize))
      return std::nullopt;
    for (uint64_t i = 0; i < *phnum; ++i) {
      const uint64_t h = *phoff + i * *phentsize;
      const auto off = U(h + l_.pOffset, l_.word), size = U(h + l_.pFilesz, l_.word);
      if (!off || !size || !Extend(end, *off, *size)) return std::nullopt;
    }
    for (uint64_t i = 0; i < *shnum; ++i) {
      const uint64_t h = *shoff + i * *shentsize;
      const auto type = U(h + l_.shType, 4);
      const auto off = U(h + l_.shOffset, l_.word), size = U(h + l_.shSize, l_.word);
      if (!type || !off || !size) return std::nullopt;
      if (*type != kShtNobits && !Extend(end, *off, *size)) return std::nullopt;
    }
    return end;
  }

 private:
  std::optional<uint64_t> U(uint64_t offset, size_t n) { return f_.Uint(offset, n, be_); }

  // Grows `end` to offset + size; false when that lies beyond the file.
  bool Extend(uint64_t& end, uint64_t offset, uint64_t size) {
    if (size == 0) return true;
    if (offset > f_.Size() || size > f_.Size() - offset) return false;
    end = std::max(end, offset + size);
    return true;
  }

  FileReader& f_;
  const ElfLayout& l_;
  bool be_;
};

std::optional<uint64_t> ElfImageEnd(FileReader& f) {
  unsigned char ident[6];
  if (!f.Read(0, ident, sizeof ident) || std::memcmp(ident, "\x7F" "ELF", 4) != 0) return std::nullopt;
  if ((ident[4] != 1 && ident[4] != 2) || (ident[5] != 1 && ident[5] != 2)) return std::nullopt;
  return ElfImage(f, ident[4] == 1 ? kElf32 : kElf64, ident[5] == 2).End();
}

// The last section header's raw data pointer plus raw size.
std::optional<uint64_t> PeImageEnd(FileReader& f) {
  const auto pe = f.Uint(0x3C, 2, false);
  if (!pe) return std::nullopt;
  const auto sections = f.Uint(*pe + 6, 1, false);
  if (!sections || *sections == 0) return std::nullopt;
  const uint64_t last = *pe + 0xF8 + (*sections - 1) * 0x28;
  const auto rawSize = f.Uint(last + 0x10, 4, false), rawPointer = f.Uint(last + 0x14, 4, false);
  if (!rawSize || !rawPointer) return std::nullopt;
  return *rawSize + *rawPointer;
}

// Where the program image ends: ELF, or PE for a file starting with "M".
std::optional<uint64_t> ImageEnd(FileReader& f) {
  char first = 0;
  if (!f.Read(0, &first, 1)) return std::nullopt;
  return (first == 'M' || first == 'm') ? PeImageEnd(f) : ElfImageEnd(f);
}

}  // namespace

bool ReadProgramImage(const std::string& programFileName, std::string& image) {
  FileReader f(ScriptPathToNative(programFileName));
  const std::optional<uint64_t> end = ImageEnd(f);
  if (!end || *end > f.Size()) return false;
  image.assign(static_cast<size_t>(*end), '\0');
  return f.Read(0, image.data(), image.size());
}

bool FindAppendedData(const std::string& programFileName, std::string& data) {
  FileReader f(ScriptPathToNative(programFileName));
  const std::optional<uint64_t> end = ImageEnd(f);
  if (!end || *end >= f.Size()) return false;
  std::string tail(static_cast<size_t>(f.Size() - *end), '\0');
  if (!f.Read(*end, tail.data(), tail.size())) return false;
  // The block must hold an "f" (the container's first byte) somewhere.
  if (tail.find('f') == std::string::npos) return false;
  data = std::move(tail);
  return true;
}

}  // namespace nura
