#include "archive/cab_writer.h"

#include <zlib.h>

#include <algorithm>

#include "archive/archiver_options.h"

namespace nura {

namespace {

constexpr size_t kBlockSize = 32768;
constexpr uint16_t kAttrArchive = 0x20;
constexpr uint16_t kAttrNameIsUtf8 = 0x80;
constexpr uint64_t kMaxCabinet = 0x7FFFFFFF;

// One MSZIP block: "CK" and a complete raw deflate stream.
std::string CompressBlock(z_stream& z, std::string_view block) {
  std::string out = "CK";
  out.resize(2 + deflateBound(&z, block.size()));
  deflateReset(&z);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data()));
  z.avail_in = static_cast<uInt>(block.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data() + 2);
  z.avail_out = static_cast<uInt>(out.size() - 2);
  deflate(&z, Z_FINISH);
  out.resize(out.size() - z.avail_out);
  return out;
}

}  // namespace

uint32_t CabChecksum(std::string_view data, uint32_t seed) {
  uint32_t csum = seed;
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  size_t n = data.size();
  for (; n >= 4; n -= 4, p += 4) {
    csum ^= static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
            (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  }
  uint32_t tail = 0;
  switch (n) {
    case 3: tail |= static_cast<uint32_t>(*p++) << 16; [[fallthrough]];
    case 2: tail |= static_cast<uint32_t>(*p++) << 8; [[fallthrough]];
    case 1: tail |= *p;
  }
  return csum ^ tail;
}

namespace {

// The folder's data as CFDATA blocks of up to 32 KiB, each compressed on
// its own, written as they fill.
class TBlockWriter {
 public:
  explicit TBlockWriter(std::ostream& out) : out_(out) {
    ok_ = deflateInit2(&z_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~TBlockWriter() {
    if (ok_) deflateEnd(&z_);
  }
  TBlockWriter(const TBlockWriter&) = delete;
  TBlockWriter& operator=(const TBlockWriter&) = delete;

  bool Ok() const { return ok_; }
  void Add(std::string_view data) {
    while (!data.empty()) {
      const size_t take = std::min(kBlockSize - block_.size(), data.size());
      block_.append(data.substr(0, take));
      data.remove_prefix(take);
      if (block_.size() == kBlockSize) Flush();
    }
  }
  void Flush() {
    if (block_.empty()) return;
    const std::string packed = CompressBlock(z_, block_);
    std::string sizes;
    AppendLittleEndian(sizes, packed.size(), 2);
    AppendLittleEndian(sizes, block_.size(), 2);
    std::string head;
    AppendLittleEndian(head, CabChecksum(sizes, CabChecksum(packed, 0)), 4);
    head += sizes;
    out_.write(head.data(), static_cast<std::streamsize>(head.size()));
    out_.write(packed.data(), static_cast<std::streamsize>(packed.size()));
    block_.clear();
  }

 private:
  std::ostream& out_;
  z_stream z_{};
  bool ok_ = false;
  std::string block_;
};

}  // namespace

void TCabWriter::Add(TFile file, const std::string& utf8Path, int64_t mtime) {
  file.name = utf8Path;
  std::replace(file.name.begin(), file.name.end(), '/', '\\');
  UnixTimeToDosDateTime(mtime, file.date, file.time);
  file.attributes = kAttrArchive;
  for (unsigned char c : file.name) {
    if (c >= 0x80) file.attributes |= kAttrNameIsUtf8;
  }
  total_ += file.size;
  files_.push_back(std::move(file));
}

void TCabWriter::AddFile(const std::string& utf8Path, int64_t mtime, std::string_view data) {
  TFile file{};
  file.size = data.size();
  file.data = data;
  Add(std::move(file), utf8Path, mtime);
}

void TCabWriter::AddFile(const std::string& utf8Path, int64_t mtime, uint64_t size, TDataBlocks blocks) {
  TFile file{};
  file.size = size;
  file.blocks = std::move(blocks);
  Add(std::move(file), utf8Path, mtime);
}

// The headers and file entries come first, with the cabinet's size left
// open until the blocks are written.
bool TCabWriter::Write(std::ostream& out, size_t* unreadable) const {
  const uint64_t count = (total_ + kBlockSize - 1) / kBlockSize;
  if (files_.size() > 0xFFFF || total_ > kMaxCabinet || count > 0xFFFF) return false;
  std::string entries;
  uint64_t offset = 0;
  for (const TFile& f : files_) {
    AppendLittleEndian(entries, f.size, 4);
    AppendLittleEndian(entries, offset, 4);
    AppendLittleEndian(entries, 0, 2);  // folder 0
    AppendLittleEndian(entries, f.date, 2);
    AppendLittleEndian(entries, f.time, 2);
    AppendLittleEndian(entries, f.attributes, 2);
    entries += f.name;
    entries += '\0';
    offset += f.size;
  }
  constexpr size_t kHeaderSize = 36, kFolderSize = 8, kTotalOffset = 8;
  const size_t filesOffset = kHeaderSize + kFolderSize;
  const size_t dataOffset = filesOffset + entries.size();
  std::string head = "MSCF";
  AppendLittleEndian(head, 0, 4);
  AppendLittleEndian(head, 0, 4);  // the cabinet's size, set below
  AppendLittleEndian(head, 0, 4);
  AppendLittleEndian(head, filesOffset, 4);
  AppendLittleEndian(head, 0, 4);
  head += '\x03';  // version 1.3
  head += '\x01';
  AppendLittleEndian(head, 1, 2);  // one folder
  AppendLittleEndian(head, files_.size(), 2);
  AppendLittleEndian(head, 0, 2);  // flags
  AppendLittleEndian(head, 0, 2);  // set id
  AppendLittleEndian(head, 0, 2);  // cabinet number
  AppendLittleEndian(head, dataOffset, 4);
  AppendLittleEndian(head, count, 2);
  AppendLittleEndian(head, 1, 2);  // MSZIP
  const std::streampos start = out.tellp();
  out.write(head.data(), static_cast<std::streamsize>(head.size()));
  out.write(entries.data(), static_cast<std::streamsize>(entries.size()));
  TBlockWriter blocks(out);
  if (!blocks.Ok()) return false;
  for (size_t i = 0; i < files_.size(); ++i) {
    const TFile& f = files_[i];
    if (!f.blocks) {
      blocks.Add(f.data);
    } else if (!TakeSized(f.blocks, f.size, [&](std::string_view block) {
                 blocks.Add(block);
                 return true;
               })) {
      if (unreadable) *unreadable = i;
      return false;
    }
    if (!out) return false;
  }
  blocks.Flush();
  const std::streampos end = out.tellp();
  const uint64_t total = static_cast<uint64_t>(end - start);
  if (!out || total > kMaxCabinet) return false;
  std::string size;
  AppendLittleEndian(size, total, 4);
  out.seekp(start + std::streamoff(kTotalOffset));
  out.write(size.data(), static_cast<std::streamsize>(size.size()));
  out.seekp(end);
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace nura
