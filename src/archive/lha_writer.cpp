#include "archive/lha_writer.h"

#include <algorithm>
#include <array>
#include <queue>
#include <stdexcept>
#include <vector>

#include "archive/archiver_options.h"
#include "platform/sjis.h"

namespace nura {

namespace {

// -lh5- parameters.
constexpr int kDictionary = 8192;        // window of 13 bits
constexpr int kMaxDistance = kDictionary - 1;
constexpr int kMaxMatch = 256;
constexpr int kThreshold = 3;            // shortest match
constexpr int kNC = 256 + kMaxMatch - kThreshold + 1;  // literal and length codes
constexpr int kNT = 19;                  // codes of the length table's table
constexpr int kNP = 14;                  // position codes
constexpr int kCBit = 9, kTBit = 5, kPBit = 4;
constexpr int kMaxCodeLength = 16;
constexpr size_t kBlockCodes = 16384;    // codes per block (the count field has 16 bits)
constexpr int kHashBits = 15;
constexpr int kMaxChain = 96;

class TBitWriter {
 public:
  explicit TBitWriter(std::string& out) : out_(out) {}
  // The low `n` bits of `value`, most significant first.
  void Put(int n, unsigned value) {
    for (int i = n - 1; i >= 0; --i) {
      acc_ = static_cast<uint8_t>((acc_ << 1) | ((value >> i) & 1));
      if (++count_ == 8) {
        out_ += static_cast<char>(acc_);
        acc_ = 0;
        count_ = 0;
      }
    }
  }
  void Flush() {
    if (count_ > 0) Put(8 - count_, 0);
  }

 private:
  std::string& out_;
  uint8_t acc_ = 0;
  int count_ = 0;
};

// Code lengths of a Huffman code for `freq`, none longer than the limit:
// frequencies are halved until the tree fits.
std::vector<int> HuffmanLengths(std::vector<uint32_t> freq) {
  const size_t n = freq.size();
  std::vector<int> lengths(n, 0);
  for (;;) {
    struct Node {
      uint64_t weight;
      int left, right;
    };
    std::vector<Node> nodes;
    using Item = std::pair<uint64_t, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> heap;
    for (size_t i = 0; i < n; ++i) {
      if (freq[i] == 0) continue;
      nodes.push_back({freq[i], -1, static_cast<int>(i)});
      heap.push({freq[i], static_cast<int>(nodes.size() - 1)});
    }
    while (heap.size() > 1) {
      const Item a = heap.top();
      heap.pop();
      const Item b = heap.top();
      heap.pop();
      nodes.push_back({a.first + b.first, a.second, b.second});
      heap.push({a.first + b.first, static_cast<int>(nodes.size() - 1)});
    }
    std::fill(lengths.begin(), lengths.end(), 0);
    int longest = 0;
    // Depth-first over the tree; leaves have left = -1 and the symbol in right.
    std::vector<std::pair<int, int>> stack = {{static_cast<int>(nodes.size() - 1), 0}};
    while (!stack.empty()) {
      const auto [index, depth] = stack.back();
      stack.pop_back();
      const Node& node = nodes[index];
      if (node.left < 0) {
        lengths[node.right] = depth;
        longest = std::max(longest, depth);
      } else {
        stack.push_back({node.left, depth + 1});
        stack.push_back({node.right, depth + 1});
      }
    }
    if (longest <= kMaxCodeLength) return lengths;
    for (uint32_t& f : freq) {
      if (f > 1) f = (f + 1) / 2;
    }
  }
}

// Canonical codes: shorter codes first, symbols in order within a length.
std::vector<unsigned> CanonicalCodes(const std::vector<int>& lengths) {
  std::array<unsigned, kMaxCodeLength + 2> count{}, next{};
  for (int len : lengths) count[len]++;
  count[0] = 0;
  unsigned code = 0;
  for (int len = 1; len <= kMaxCodeLength; ++len) {
    code = (code + count[len - 1]) << 1;
    next[len] = code;
  }
  std::vector<unsigned> codes(lengths.size(), 0);
  for (size_t i = 0; i < lengths.size(); ++i) {
    if (lengths[i] > 0) codes[i] = next[lengths[i]]++;
  }
  return codes;
}

int UsedSymbols(const std::vector<uint32_t>& freq, int& single) {
  int used = 0;
  single = 0;
  for (size_t i = 0; i < freq.size(); ++i) {
    if (freq[i] != 0) {
      ++used;
      single = static_cast<int>(i);
    }
  }
  return used;
}

int BitLength(unsigned value) {
  int bits = 0;
  while (value) {
    ++bits;
    value >>= 1;
  }
  return bits;
}

struct TCode {
  uint16_t c;         // literal (< 256) or match length code
  uint16_t position;  // distance - 1 for a match
};

class TLh5Encoder {
 public:
  explicit TLh5Encoder(std::string& out) : bits_(out) {}

  void EncodeBlock(const std::vector<TCode>& codes) {
    std::vector<uint32_t> cFreq(kNC, 0), pFreq(kNP, 0);
    for (const TCode& code : codes) {
      cFreq[code.c]++;
      if (code.c >= 256) pFreq[BitLength(code.position)]++;
    }
    bits_.Put(16, static_cast<unsigned>(codes.size()));
    int single;
    std::vector<int> cLen(kNC, 0);
    if (UsedSymbols(cFreq, single) <= 1) {
      bits_.Put(kTBit, 0);
      bits_.Put(kTBit, 0);
      bits_.Put(kCBit, 0);
      bits_.Put(kCBit, static_cast<unsigned>(single));
    } else {
      cLen = HuffmanLengths(cFreq);
      WriteCLengths(cLen);
    }
    const std::vector<unsigned> cCode = CanonicalCodes(cLen);
    std::vector<int> pLen(kNP, 0);
    if (UsedSymbols(pFreq, single) <= 1) {
      bits_.Put(kPBit, 0);
      bits_.Put(kPBit, static_cast<unsigned>(single));
    } else {
      pLen = HuffmanLengths(pFreq);
      WriteTableLengths(pLen, kPBit, -1);
    }
    const std::vector<unsigned> pCode = CanonicalCodes(pLen);
    for (const TCode& code : codes) {
      bits_.Put(cLen[code.c], cCode[code.c]);
      if (code.c < 256) continue;
      const int p = BitLength(code.position);
      bits_.Put(pLen[p], pCode[p]);
      if (p > 1) bits_.Put(p - 1, code.position);
    }
  }

  void Finish() { bits_.Flush(); }

 private:
  // Lengths of the small tables: 0-6 in three bits, longer ones as "111"
  // and a unary tail. After the third length of the length table's table
  // two bits count the zeros that follow.
  void WriteTableLengths(const std::vector<int>& lengths, int countBits, int special) {
    int n = static_cast<int>(lengths.size());
    while (n > 0 && lengths[n - 1] == 0) --n;
    bits_.Put(countBits, static_cast<unsigned>(n));
    int i = 0;
    while (i < n) {
      const int k = lengths[i++];
      if (k <= 6) {
        bits_.Put(3, static_cast<unsigned>(k));
      } else {
        bits_.Put(k - 3, 0xFFFEu);
      }
      if (i == special) {
        int zeros = 0;
        while (i < n && zeros < 3 && lengths[i] == 0) {
          ++i;
          ++zeros;
        }
        bits_.Put(2, static_cast<unsigned>(zeros));
      }
    }
  }

  // Runs of zero lengths of the literal and length table as codes 0-2.
  template <class Emit>
  static void ForEachCLengthCode(const std::vector<int>& cLen, int n, Emit emit) {
    int i = 0;
    while (i < n) {
      const int k = cLen[i++];
      if (k != 0) {
        emit(k + 2, 0, 0);
        continue;
      }
      int count = 1;
      while (i < n && cLen[i] == 0) {
        ++i;
        ++count;
      }
      if (count <= 2) {
        for (int j = 0; j < count; ++j) emit(0, 0, 0);
      } else if (count <= 18) {
        emit(1, 4, count - 3);
      } else if (count == 19) {
        emit(0, 0, 0);
        emit(1, 4, 15);
      } else {
        emit(2, kCBit, count - 20);
      }
    }
  }

  void WriteCLengths(const std::vector<int>& cLen) {
    int n = kNC;
    while (n > 0 && cLen[n - 1] == 0) --n;
    std::vector<uint32_t> tFreq(kNT, 0);
    ForEachCLengthCode(cLen, n, [&](int t, int, int) { tFreq[t]++; });
    int single;
    std::vector<int> tLen(kNT, 0);
    if (UsedSymbols(tFreq, single) <= 1) {
      bits_.Put(kTBit, 0);
      bits_.Put(kTBit, static_cast<unsigned>(single));
    } else {
      tLen = HuffmanLengths(tFreq);
      WriteTableLengths(tLen, kTBit, 3);
    }
    const std::vector<unsigned> tCode = CanonicalCodes(tLen);
    bits_.Put(kCBit, static_cast<unsigned>(n));
    ForEachCLengthCode(cLen, n, [&](int t, int extraBits, int extra) {
      bits_.Put(tLen[t], tCode[t]);
      if (extraBits) bits_.Put(extraBits, static_cast<unsigned>(extra));
    });
  }

  TBitWriter bits_;
};

unsigned Hash3(const unsigned char* p) {
  return ((p[0] << 10) ^ (p[1] << 5) ^ p[2]) & ((1u << kHashBits) - 1);
}

}  // namespace

uint16_t LhaCrc16(std::string_view data, uint16_t crc) {
  static const std::array<uint16_t, 256> table = [] {
    std::array<uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
      unsigned r = i;
      for (int j = 0; j < 8; ++j) r = (r & 1) ? (r >> 1) ^ 0xA001u : r >> 1;
      t[i] = static_cast<uint16_t>(r);
    }
    return t;
  }();
  for (unsigned char c : data) crc = static_cast<uint16_t>(table[(crc ^ c) & 0xFF] ^ (crc >> 8));
  return crc;
}

struct TLh5Stream::TState {
  explicit TState(std::string& out) : encoder(out), head(1u << kHashBits, -1), prev(kDictionary, -1) {
    codes.reserve(kBlockCodes);
  }

  // Codes the positions before `stop`; without `final` a match there may
  // reach as far as the bytes at hand, and the window keeps what later
  // matches may point back to. Positions are 64-bit: a member may be
  // larger than 2 GiB.
  void Code(bool final) {
    const int64_t size = base + static_cast<int64_t>(window.size());
    const int64_t stop = final ? size : size - (kMaxMatch + kThreshold);
    const auto* bytes = reinterpret_cast<const unsigned char*>(window.data());
    const auto at = [&](int64_t p) { return bytes + (p - base); };
    auto insert = [&](int64_t p) {
      if (p + kThreshold > size) return;
      const unsigned h = Hash3(at(p));
      prev[p & (kDictionary - 1)] = head[h];
      head[h] = p;
    };
    while (pos < stop) {
      int bestLength = 0, bestDistance = 0;
      if (pos + kThreshold <= size) {
        const int limit = static_cast<int>(std::min<int64_t>(kMaxMatch, size - pos));
        int64_t candidate = head[Hash3(at(pos))];
        for (int chain = kMaxChain; candidate >= 0 && chain > 0; --chain) {
          const int distance = static_cast<int>(std::min<int64_t>(pos - candidate, kDictionary));
          if (distance > kMaxDistance) break;
          const unsigned char* from = at(candidate);
          const unsigned char* here = at(pos);
          int length = 0;
          while (length < limit && from[length] == here[length]) ++length;
          if (length > bestLength) {
            bestLength = length;
            bestDistance = distance;
            if (length == limit) break;
          }
          const int64_t older = prev[candidate & (kDictionary - 1)];
          if (older >= candidate) break;  // the slot was reused by a newer position
          candidate = older;
        }
      }
      if (bestLength >= kThreshold) {
        codes.push_back({static_cast<uint16_t>(bestLength - kThreshold + 256),
                         static_cast<uint16_t>(bestDistance - 1)});
        for (int i = 0; i < bestLength; ++i) insert(pos + i);
        pos += bestLength;
      } else {
        codes.push_back({*at(pos), 0});
        insert(pos);
        ++pos;
      }
      if (codes.size() == kBlockCodes) {
        encoder.EncodeBlock(codes);
        codes.clear();
      }
    }
    // Bytes the window has passed are dropped now and then.
    const int64_t keep = pos - kDictionary;
    if (keep - base >= kDropAt) {
      window.erase(0, static_cast<size_t>(keep - base));
      base = keep;
    }
  }

  static constexpr int64_t kDropAt = 1 << 16;
  TLh5Encoder encoder;
  std::vector<int64_t> head, prev;
  std::vector<TCode> codes;
  std::string window;  // the bytes from position `base` on
  int64_t base = 0;
  int64_t pos = 0;     // the next position to code
};

TLh5Stream::TLh5Stream(std::string& out) : state_(std::make_unique<TState>(out)) {}

TLh5Stream::~TLh5Stream() = default;

void TLh5Stream::Add(std::string_view data) {
  state_->window.append(data);
  state_->Code(false);
}

void TLh5Stream::Finish() {
  state_->Code(true);
  if (!state_->codes.empty()) state_->encoder.EncodeBlock(state_->codes);
  state_->codes.clear();
  state_->encoder.Finish();
}

namespace {

void PutExtension(std::string& h, uint8_t type, std::string_view data) {
  AppendLittleEndian(h, data.size() + 3, 2);  // the size of this extension, as the field before it
  h += static_cast<char>(type);
  h += data;
}

// Folder part (components each ended by 0xFF) and file part of a
// "/"-separated Shift-JIS path; "\" counts as a separator too.
void SplitLhaPath(const std::string& path, std::string& folder, std::string& name) {
  std::string component;
  folder.clear();
  for (size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsSjisLead(c) && i + 1 < path.size()) {
      component += path.substr(i, 2);
      ++i;
    } else if (c == '/' || c == '\\') {
      if (!component.empty()) folder += component + '\xFF';
      component.clear();
    } else {
      component += static_cast<char>(c);
    }
  }
  name = component;
}

}  // namespace

namespace {

constexpr size_t kReadBlock = 1 << 16;

// A level-2 member header; its size does not depend on the sizes, the
// method or the CRC, so it can be written again once they are known.
std::string MemberHeader(const std::string& sjisPath, int64_t mtime, const char* method,
                         uint64_t storedSize, uint64_t originalSize, uint16_t crc) {
  std::string folder, name;
  SplitLhaPath(sjisPath, folder, name);
  if (std::string_view(method) == "-lhd-") {
    folder += name.empty() ? "" : name + '\xFF';
    name.clear();
  }
  std::string h;
  AppendLittleEndian(h, 0, 2);  // total header size, set below
  h += method;
  AppendLittleEndian(h, storedSize, 4);
  AppendLittleEndian(h, originalSize, 4);
  AppendLittleEndian(h, static_cast<uint64_t>(std::max<int64_t>(0, mtime)) & 0xFFFFFFFFu, 4);
  h += '\x20';  // attribute byte (archive)
  h += '\x02';  // header level
  AppendLittleEndian(h, crc, 2);
  h += 'M';  // written for MS-DOS / Windows (Shift-JIS names)
  // Extensions, each preceded by its size: common (header CRC), name, folder.
  const size_t crcOffset = h.size() + 3;
  PutExtension(h, 0x00, std::string(2, '\0'));
  PutExtension(h, 0x01, name);
  if (!folder.empty()) PutExtension(h, 0x02, folder);
  // A total size whose low byte is 0 was written with a padding byte by
  // older writers, which readers treat differently: avoid it with the
  // MS-DOS attribute extension.
  if (((h.size() + 2) & 0xFF) == 0) PutExtension(h, 0x40, std::string("\x20\x00", 2));
  AppendLittleEndian(h, 0, 2);  // no further extension
  h[0] = static_cast<char>(h.size() & 0xFF);
  h[1] = static_cast<char>((h.size() >> 8) & 0xFF);
  const uint16_t headerCrc = LhaCrc16(h);
  h[crcOffset] = static_cast<char>(headerCrc & 0xFF);
  h[crcOffset + 1] = static_cast<char>(headerCrc >> 8);
  return h;
}

void Put(std::ostream& out, std::string_view bytes) {
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

// The header goes first with the sizes and CRC left open and is written
// again when the data is in. The code is written as it comes, but never
// past the size of the data: the moment it would reach that size, the
// data is stored instead, over it.
bool TLhaWriter::AddFile(const std::string& sjisPath, int64_t mtime, uint64_t size, bool store,
                         const TDataBlocks& blocks) {
  if (size > 0xFFFFFFFFu) throw std::length_error("member too large for an LHA level-2 header");
  const std::streampos start = out_.tellp();
  Put(out_, MemberHeader(sjisPath, mtime, "-lh0-", 0, 0, 0));
  const std::streampos dataStart = out_.tellp();
  const char* method = "-lh0-";
  uint64_t read = 0, written = 0;
  uint16_t crc = 0;
  if (!store && size > 0) {
    std::string code;
    TLh5Stream lh5(code);
    const auto pass = [&] {
      const bool fits = written + code.size() < size;
      if (fits) Put(out_, code);
      written += code.size();
      code.clear();
      return fits;
    };
    bool stopped = false;
    const bool readable = blocks([&](std::string_view block) {
      crc = LhaCrc16(block, crc);
      read += block.size();
      lh5.Add(block);
      stopped = !pass();
      return !stopped && out_.good();
    });
    if (!readable || !out_) return false;
    if (!stopped) {
      if (read != size) return false;  // the file changed since it was listed
      lh5.Finish();
      if (pass()) method = "-lh5-";
    }
  }
  if (std::string_view(method) == "-lh0-") {
    out_.seekp(dataStart);
    crc = 0;
    const bool readable = TakeSized(blocks, size, [&](std::string_view block) {
      crc = LhaCrc16(block, crc);
      Put(out_, block);
      return out_.good();
    });
    if (!readable) return false;
    written = size;
  }
  const std::streampos end = out_.tellp();
  out_.seekp(start);
  Put(out_, MemberHeader(sjisPath, mtime, method, written, size, crc));
  out_.seekp(end);
  return out_.good();
}

void TLhaWriter::AddFile(const std::string& sjisPath, int64_t mtime, std::string_view data,
                         bool store) {
  AddFile(sjisPath, mtime, data.size(), store, [&](const TDataTake& take) {
    for (size_t at = 0; at < data.size(); at += kReadBlock) {
      if (!take(data.substr(at, kReadBlock))) break;
    }
    return true;
  });
}

void TLhaWriter::AddFolder(const std::string& sjisPath, int64_t mtime) {
  Put(out_, MemberHeader(sjisPath, mtime, "-lhd-", 0, 0, 0));
}

bool TLhaWriter::Finish() {
  out_.put('\0');
  out_.flush();
  return static_cast<bool>(out_);
}

}  // namespace nura
