// Our own LHA writer: members stored (-lh0-) or compressed with -lh5-
// (LZSS over an 8 KiB window, Huffman tables per block), level-2 headers
// with the header CRC, CRC-16 of the data. Names are Shift-JIS with "/"
// separating folders, as Japanese LHA archives hold them.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "archive/data_blocks.h"

namespace nura {

// CRC-16 of LHA (polynomial 0xA001, reflected), continued from `crc`.
uint16_t LhaCrc16(std::string_view data, uint16_t crc = 0);

// -lh5- coding of data that comes in pieces: each Add codes all but the
// last bytes (which a match may still reach) and appends the code to `out`,
// which the caller may empty between calls; Finish codes the rest. Only
// the window and one block of codes are held.
class TLh5Stream {
 public:
  explicit TLh5Stream(std::string& out);
  ~TLh5Stream();
  TLh5Stream(const TLh5Stream&) = delete;
  TLh5Stream& operator=(const TLh5Stream&) = delete;
  void Add(std::string_view data);
  void Finish();

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};

class TLhaWriter {
 public:
  explicit TLhaWriter(std::ostream& out) : out_(out) {}
  // Adds one file. With `store` the data is kept as it is; otherwise it is
  // compressed, and stored when that does not make it smaller.
  void AddFile(const std::string& sjisPath, int64_t mtime, std::string_view data, bool store);
  // The same for `size` bytes that come in blocks, so that a large member
  // is never held whole; `blocks` is called a second time when the data
  // turns out to be stored. False when the blocks cannot be read or are not
  // `size` bytes.
  bool AddFile(const std::string& sjisPath, int64_t mtime, uint64_t size, bool store,
               const TDataBlocks& blocks);
  // Adds a folder entry (-lhd-).
  void AddFolder(const std::string& sjisPath, int64_t mtime);
  // Writes the end mark. False when the stream failed.
  bool Finish();

 private:
  std::ostream& out_;
};

}  // namespace nura
