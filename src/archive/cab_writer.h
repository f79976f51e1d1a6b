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
  // Writes the cabinet. False when it cannot hold the files (more than
  // 65535 files, or 2 GiB and more) or the stream failed.
  bool Write(std::ostream& out) const;

 private:
  struct TFile {
    std::string name;
    uint32_t size;
    uint32_t offset;
    uint16_t date, time, attributes;
  };
  std::vector<TFile> files_;
  std::string data_;  // the folder's uncompressed bytes
};

}  // namespace nura
