// Our own LHA writer: members stored (-lh0-) or compressed with -lh5-
// (LZSS over an 8 KiB window, Huffman tables per block), level-2 headers
// with the header CRC, CRC-16 of the data. Names are Shift-JIS with "/"
// separating folders, as Japanese LHA archives hold them.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace nura {

// CRC-16 of LHA (polynomial 0xA001, reflected), continued from `crc`.
uint16_t LhaCrc16(std::string_view data, uint16_t crc = 0);

// The -lh5- coding of `data`.
std::string CompressLh5(std::string_view data);

class TLhaWriter {
 public:
  explicit TLhaWriter(std::ostream& out) : out_(out) {}
  // Adds one file. With `store` the data is kept as it is; otherwise it is
  // compressed, and stored when that does not make it smaller.
  void AddFile(const std::string& sjisPath, int64_t mtime, std::string_view data, bool store);
  // Adds a folder entry (-lhd-).
  void AddFolder(const std::string& sjisPath, int64_t mtime);
  // Writes the end mark. False when the stream failed.
  bool Finish();

 private:
  void WriteMember(const std::string& sjisPath, int64_t mtime, const char* method,
                   std::string_view stored, uint64_t originalSize, uint16_t crc);

  std::ostream& out_;
};

}  // namespace nura
