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

#include "archive/data_blocks.h"

namespace nura {

// The cabinet checksum of a block (data, then the two size fields).
uint32_t CabChecksum(std::string_view data, uint32_t seed);

class TCabWriter {
 public:
  // Adds a file; `utf8Path` uses "/" or "\" between folders.
  void AddFile(const std::string& utf8Path, int64_t mtime, std::string_view data);
  // Adds a file of `size` bytes whose blocks are read only while the
  // cabinet is written, so that it is never held whole.
  void AddFile(const std::string& utf8Path, int64_t mtime, uint64_t size, TDataBlocks blocks);
  // Writes the cabinet. False when it cannot hold the files (more than
  // 65535 files, or 2 GiB and more), when a file's blocks cannot be read
  // or are not its size (its index in the order of adding then in
  // `unreadable`), or when the stream failed.
  bool Write(std::ostream& out, size_t* unreadable = nullptr) const;

 private:
  struct TFile {
    std::string name;
    uint64_t size;
    uint16_t date, time, attributes;
    std::string data;    // the bytes of a file added with them
    TDataBlocks blocks;  // else where they come from
  };
  void Add(TFile file, const std::string& utf8Path, int64_t mtime);

  std::vector<TFile> files_;
  uint64_t total_ = 0;  // the folder's uncompressed size
};

}  // namespace nura
