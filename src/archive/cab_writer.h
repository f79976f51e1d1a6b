// Our own cabinet writer: one folder compressed with MSZIP (each block of
// up to 32 KiB is a deflate stream of its own, made with zlib), block
// checksums, file names with "\" separators. Names that are not plain
// ASCII are stored as UTF-8 with the cabinet's UTF-8 name attribute.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace nura {

// The cabinet checksum of a block (data, then the two size fields).
uint32_t CabChecksum(std::string_view data, uint32_t seed);

class TCabWriter {
 public:
  // Adds a file; `utf8Path` uses "/" or "\" between folders.
  void AddFile(const std::string& utf8Path, int64_t mtime, std::string_view data);
  // Adds the native file of `size` bytes, read in blocks only while the
  // cabinet is written, so that it is never held whole.
  void AddNativeFile(const std::string& utf8Path, int64_t mtime, const std::string& native, uint64_t size);
  // Writes the cabinet. False when it cannot hold the files (more than
  // 65535 files, or 2 GiB and more), when a native file no longer holds
  // the bytes it was added with (its name then in `unreadable`), or when the
  // stream failed.
  bool Write(std::ostream& out, std::string* unreadable = nullptr) const;

 private:
  struct TFile {
    std::string name;
    uint64_t size;
    uint16_t date, time, attributes;
    std::string data;    // the bytes of a file added with them
    std::string native;  // else the file that holds them
  };
  void Add(TFile file, const std::string& utf8Path, int64_t mtime);

  std::vector<TFile> files_;
  uint64_t total_ = 0;  // the folder's uncompressed size
};

}  // namespace nura
