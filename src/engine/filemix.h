// The file-mix container: named files packed into one file, optionally
// enciphered, carried behind the program file or on its own.
//
// Layout (little-endian): "fMix", version 1, entry count (16-bit), total
// size (32-bit); then one 265-byte record per entry (upper-cased name in
// 256 NUL-padded bytes, data offset, data size, flag); then the data blocks
// in entry order. Flag 1 means enciphered with the container key.
//
// File names are Shift-JIS script paths; they reach the file system
// through ScriptPathToNative.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nura {

struct TMixIndexNode {
  std::string name;  // as stored: upper-cased, up to its first NUL
  int32_t offset = 0;
  int32_t size = 0;
  uint8_t flag = 0;
};

// Entry index: 1,024 buckets by the byte sum of the name. A bucket's list
// is made for its first node.
class TMixIndexHash {
 public:
  static constexpr size_t kBuckets = 1024;

  // Adds a node; a node of exactly the same name is replaced. Returns the
  // count, or -1 for a null node.
  int Add(std::unique_ptr<TMixIndexNode> node);
  // The node of exactly this name, or nullptr (also for an empty name).
  const TMixIndexNode* Find(std::string_view name) const;
  void Clear();
  int Count() const { return count_; }

 private:
  using Bucket = std::vector<std::unique_ptr<TMixIndexNode>>;
  static size_t BucketOf(std::string_view name);
  std::array<std::unique_ptr<Bucket>, kBuckets> buckets_;
  int count_ = 0;
};

// Writes a container from lines "source path=stored name=flag".
class TFileMixWriter {
 public:
  std::vector<std::string> lines;

  // Writes the container; true when done. More than 65,535 lines or a flag
  // outside 0..255 is ERangeError; file errors raise ERuntimeError.
  bool SaveToFile(const std::string& fileName);
};

// The container of the named entries (names upper-cased, stored plain) as
// bytes. More than 65,535 entries or more than 2 GiB is ERangeError.
std::string BuildMixContainer(const std::vector<std::pair<std::string, std::string>>& entries);

// The name of the container's first entry as stored, read without checking
// the rest of the container; empty when the bytes are no container.
std::string FirstMixEntryName(std::string_view container);

class TFileMixReader {
 public:
  // Opens and indexes the container. A file that is not a sound container
  // (bad magic, truncated header or table, an entry outside the file)
  // raises EReadError; a file that cannot be opened, ERuntimeError.
  explicit TFileMixReader(const std::string& fileName);

  // The entry's plain bytes; false when absent or unreadable.
  bool ExtractToStream(std::string_view name, std::string& data);
  // The entry saved to a file; false (and no file) as ExtractToStream.
  bool ExtractToFile(std::string_view name, const std::string& fileName);
  // The entry as a text, cut at its first NUL byte.
  bool ExtractToString(std::string_view name, std::string& text);
  // Copies the whole container file to another file.
  void CopyTo(const std::string& fileName);

  const std::string& FileName() const { return fileName_; }
  const TMixIndexHash& Index() const { return index_; }

 private:
  void ReadIndex();

  std::string fileName_;
  std::ifstream file_;
  uint64_t fileSize_ = 0;
  TMixIndexHash index_;
};

// The container key (Shift-JIS bytes).
const std::string& MixContainerKey();

// Copies the block appended behind the program file's image (ELF, or a PE
// image starting with "M") into `data`; false when there is none.
bool FindAppendedData(const std::string& programFileName, std::string& data);

// The program file's image without any block appended behind it; false
// when the file cannot be read or is neither an ELF nor a PE image.
bool ReadProgramImage(const std::string& programFileName, std::string& image);

// Passes the bytes through the stream cipher with the container key; the
// cipher is its own inverse, so this both enciphers and deciphers.
void DecipherMixEntry(std::string& data);

}  // namespace nura
