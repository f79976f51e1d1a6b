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

void TCabWriter::AddFile(const std::string& utf8Path, int64_t mtime, std::string_view data) {
  TFile file;
  file.name = utf8Path;
  std::replace(file.name.begin(), file.name.end(), '/', '\\');
  file.size = static_cast<uint32_t>(std::min<uint64_t>(data.size(), kMaxCabinet + 1));
  file.offset = static_cast<uint32_t>(std::min<uint64_t>(data_.size(), kMaxCabinet + 1));
  UnixTimeToDosDateTime(mtime, file.date, file.time);
  file.attributes = kAttrArchive;
  for (unsigned char c : file.name) {
    if (c >= 0x80) file.attributes |= kAttrNameIsUtf8;
  }
  files_.push_back(std::move(file));
  if (data_.size() + data.size() <= kMaxCabinet) data_.append(data);
  else data_.resize(kMaxCabinet + 1);
}

bool TCabWriter::Write(std::ostream& out) const {
  if (files_.size() > 0xFFFF || data_.size() > kMaxCabinet) return false;
  z_stream z{};
  if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    return false;
  std::string blocks;
  size_t count = 0;
  for (size_t at = 0; at < data_.size();) {
    const std::string_view block = std::string_view(data_).substr(at, kBlockSize);
    const std::string packed = CompressBlock(z, block);
    std::string sizes;
    AppendLittleEndian(sizes, packed.size(), 2);
    AppendLittleEndian(sizes, block.size(), 2);
    AppendLittleEndian(blocks, CabChecksum(sizes, CabChecksum(packed, 0)), 4);
    blocks += sizes;
    blocks += packed;
    at += block.size();
    ++count;
  }
  deflateEnd(&z);
  if (count > 0xFFFF) return false;

  std::string entries;
  for (const TFile& f : files_) {
    AppendLittleEndian(entries, f.size, 4);
    AppendLittleEndian(entries, f.offset, 4);
    AppendLittleEndian(entries, 0, 2);  // folder 0
    AppendLittleEndian(entries, f.date, 2);
    AppendLittleEndian(entries, f.time, 2);
    AppendLittleEndian(entries, f.attributes, 2);
    entries += f.name;
    entries += '\0';
  }
  constexpr size_t kHeaderSize = 36, kFolderSize = 8;
  const size_t filesOffset = kHeaderSize + kFolderSize;
  const size_t dataOffset = filesOffset + entries.size();
  const uint64_t total = dataOffset + blocks.size();
  if (total > kMaxCabinet) return false;
  std::string head = "MSCF";
  AppendLittleEndian(head, 0, 4);
  AppendLittleEndian(head, total, 4);
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
  out.write(head.data(), static_cast<std::streamsize>(head.size()));
  out.write(entries.data(), static_cast<std::streamsize>(entries.size()));
  out.write(blocks.data(), static_cast<std::streamsize>(blocks.size()));
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace nura
