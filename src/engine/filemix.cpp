#include "engine/filemix.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <memory>

#include "engine/cipher.h"
#include "engine/errors.h"
#include "engine/locale_map.h"
#include "engine/sjis_text.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr size_t kHeaderSize = 11;
constexpr size_t kNameSize = 256;
constexpr size_t kRecordSize = 265;
constexpr size_t kMaxEntries = 65535;
constexpr char kMagic[4] = {'f', 'M', 'i', 'x'};

void PutU16(char* p, uint32_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8 & 0xFF);
}

void PutU32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i) & 0xFF);
}

uint32_t GetU32(const char* p) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(p[i]);
  return v;
}

std::string OpenErrorText(const std::string& fileName) {
  return SJ("ファイル\"") + fileName + SJ("\"を開けません。");
}

std::string CreateErrorText(const std::string& fileName) {
  return SJ("ファイル\"") + fileName + SJ("\"を作成できません。");
}

std::string WriteErrorText(const std::string& fileName) {
  return SJ("ファイル\"") + fileName + SJ("\"に書き込めません。");
}

std::string FormatErrorText(const std::string& fileName) {
  return "\"" + fileName + SJ("\"は、TFileMixHeaderでは形式が違うため読めません。");
}

// The whole file, or an ERuntimeError when it cannot be read.
std::string LoadFile(const std::string& fileName) {
  std::string data;
  if (!ReadNativeFile(ScriptPathToNative(fileName), data)) {
    throw ERuntimeError(OpenErrorText(fileName));
  }
  return data;
}

// A writer of `fileName` whose temporary file is made; the create error
// when it cannot be.
std::unique_ptr<TAtomicFileWriter> OpenWriter(const std::string& fileName) {
  auto writer = std::make_unique<TAtomicFileWriter>(ScriptPathToNative(fileName));
  if (!writer->Open()) throw ERuntimeError(CreateErrorText(fileName));
  return writer;
}

void SaveFile(const std::string& fileName, std::string_view data) {
  const auto out = OpenWriter(fileName);
  if (!out->Write(data) || !out->Commit()) throw ERuntimeError(WriteErrorText(fileName));
}

std::string Header(size_t count, uint32_t total) {
  std::string h(kHeaderSize, '\0');
  std::memcpy(h.data(), kMagic, 4);
  h[4] = 1;
  PutU16(h.data() + 5, static_cast<uint32_t>(count));
  PutU32(h.data() + 7, total);
  return h;
}

struct WriterLine {
  std::string source, name;
  uint8_t flag = 0;
};

// "source=name=flag"; a missing part is empty, a flag that is no integer 0.
WriterLine SplitLine(const std::string& line) {
  WriterLine w;
  std::string rest = line;
  w.source = CutToken("=", rest);
  w.name = CutToken("=", rest);
  int64_t flag = 0;
  const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), flag);
  if (ec == std::errc::result_out_of_range) throw ERangeError();
  if (ec != std::errc() || end != rest.data() + rest.size()) flag = 0;
  if (flag < 0 || flag > 255) throw ERangeError();
  w.flag = static_cast<uint8_t>(flag);
  return w;
}

std::string Record(const std::string& name, uint32_t offset, uint32_t size, uint8_t flag) {
  std::string r(kRecordSize, '\0');
  std::memcpy(r.data(), name.data(), std::min(name.size(), kNameSize - 1));
  PutU32(r.data() + kNameSize, offset);
  PutU32(r.data() + kNameSize + 4, size);
  r[kNameSize + 8] = static_cast<char>(flag);
  return r;
}

}  // namespace

// ---- index

size_t TMixIndexHash::BucketOf(std::string_view name) {
  uint64_t sum = 0;
  for (char c : name) sum += static_cast<unsigned char>(c);
  return static_cast<size_t>(sum % kBuckets);
}

int TMixIndexHash::Add(std::unique_ptr<TMixIndexNode> node) {
  if (!node) return -1;
  auto& bucket = buckets_[BucketOf(node->name)];
  if (!bucket) bucket = std::make_unique<Bucket>();
  for (auto& old : *bucket) {
    if (old->name == node->name) {
      old = std::move(node);
      return count_;
    }
  }
  bucket->push_back(std::move(node));
  return ++count_;
}

const TMixIndexNode* TMixIndexHash::Find(std::string_view name) const {
  if (name.empty()) return nullptr;
  const auto& bucket = buckets_[BucketOf(name)];
  if (!bucket) return nullptr;
  for (const auto& node : *bucket) {
    if (node->name == name) return node.get();
  }
  return nullptr;
}

void TMixIndexHash::Clear() {
  for (auto& bucket : buckets_) bucket.reset();
  count_ = 0;
}

// ---- writer

bool TFileMixWriter::SaveToFile(const std::string& fileName) {
  if (lines.size() > kMaxEntries) throw ERangeError();
  const auto out = OpenWriter(fileName);
  const auto write = [&](uint64_t at, std::string_view bytes) {
    if (!out->WriteAt(at, bytes)) throw ERuntimeError(WriteErrorText(fileName));
  };
  write(0, Header(lines.size(), 0));
  write(kHeaderSize, std::string(lines.size() * kRecordSize, '\0'));
  uint64_t offset = kHeaderSize + lines.size() * kRecordSize;
  for (size_t i = 0; i < lines.size(); ++i) {
    const WriterLine line = SplitLine(lines[i]);
    std::string data = LoadFile(line.source);
    if (line.flag == 1) DecipherMixEntry(data);
    // The reader takes offsets and sizes as signed 32-bit numbers.
    if (offset + data.size() > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
      throw ERangeError();
    write(kHeaderSize + i * kRecordSize, Record(ToUpperCase(line.name), static_cast<uint32_t>(offset),
                                                static_cast<uint32_t>(data.size()), line.flag));
    write(offset, data);
    offset += data.size();
  }
  write(0, Header(lines.size(), static_cast<uint32_t>(offset)));
  if (!out->Commit()) throw ERuntimeError(WriteErrorText(fileName));
  return true;
}

std::string BuildMixContainer(const std::vector<std::pair<std::string, std::string>>& entries) {
  if (entries.size() > kMaxEntries) throw ERangeError();
  const uint64_t tableEnd = kHeaderSize + entries.size() * kRecordSize;
  uint64_t total = tableEnd;
  for (const auto& entry : entries) total += entry.second.size();
  if (total > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) throw ERangeError();
  std::string out = Header(entries.size(), static_cast<uint32_t>(total));
  uint64_t offset = tableEnd;
  for (const auto& [name, data] : entries) {
    out += Record(ToUpperCase(name), static_cast<uint32_t>(offset), static_cast<uint32_t>(data.size()), 0);
    offset += data.size();
  }
  for (const auto& entry : entries) out += entry.second;
  return out;
}

std::string FirstMixEntryName(std::string_view container) {
  if (container.size() < kHeaderSize + kRecordSize || container.substr(0, 4) != std::string_view(kMagic, 4))
    return "";
  const std::string_view name = container.substr(kHeaderSize, kNameSize);
  return std::string(name.substr(0, std::min(name.find('\0'), name.size())));
}

// ---- reader

TFileMixReader::TFileMixReader(const std::string& fileName) : fileName_(fileName) {
  file_.open(ScriptPathToNative(fileName), std::ios::binary);
  if (!file_) throw ERuntimeError(OpenErrorText(fileName));
  file_.seekg(0, std::ios::end);
  const std::streamoff end = file_.tellg();
  if (end < 0) throw ERuntimeError(OpenErrorText(fileName));
  fileSize_ = static_cast<uint64_t>(end);
  ReadIndex();
}

void TFileMixReader::ReadIndex() {
  const auto bad = [&] { return EReadError(FormatErrorText(fileName_)); };
  char header[kHeaderSize];
  file_.seekg(0);
  if (!file_.read(header, kHeaderSize) || std::memcmp(header, kMagic, 4) != 0) throw bad();
  const size_t count = static_cast<unsigned char>(header[5]) | static_cast<unsigned char>(header[6]) << 8;
  if (kHeaderSize + count * kRecordSize > fileSize_) throw bad();
  std::string table(count * kRecordSize, '\0');
  if (!file_.read(table.data(), static_cast<std::streamsize>(table.size()))) throw bad();
  for (size_t i = 0; i < count; ++i) {
    const char* r = table.data() + i * kRecordSize;
    const uint32_t offset = GetU32(r + kNameSize);
    const uint32_t size = GetU32(r + kNameSize + 4);
    if (offset > fileSize_ || size > fileSize_ - offset || offset > INT32_MAX || size > INT32_MAX)
      throw bad();
    auto node = std::make_unique<TMixIndexNode>();
    node->name.assign(r, strnlen(r, kNameSize));
    node->offset = static_cast<int32_t>(offset);
    node->size = static_cast<int32_t>(size);
    node->flag = static_cast<uint8_t>(r[kNameSize + 8]);
    index_.Add(std::move(node));
  }
}

bool TFileMixReader::ExtractToStream(std::string_view name, std::string& data) {
  const TMixIndexNode* node = index_.Find(ToUpperCase(name));
  if (!node || node->offset < 0 || node->size < 0) return false;
  const auto offset = static_cast<uint64_t>(node->offset);
  const auto size = static_cast<uint64_t>(node->size);
  if (offset > fileSize_ || size > fileSize_ - offset) return false;
  std::string bytes(static_cast<size_t>(size), '\0');
  file_.clear();
  file_.seekg(static_cast<std::streamoff>(offset));
  if (!file_.read(bytes.data(), static_cast<std::streamsize>(size))) {
    file_.clear();
    return false;
  }
  if (node->flag == 1) DecipherMixEntry(bytes);
  data = std::move(bytes);
  return true;
}

bool TFileMixReader::ExtractToFile(std::string_view name, const std::string& fileName) {
  std::string data;
  if (!ExtractToStream(name, data)) return false;
  SaveFile(fileName, data);
  return true;
}

bool TFileMixReader::ExtractToString(std::string_view name, std::string& text) {
  std::string data;
  if (!ExtractToStream(name, data)) return false;
  text = data.substr(0, data.find('\0'));
  return true;
}

void TFileMixReader::CopyTo(const std::string& fileName) {
  const auto out = OpenWriter(fileName);
  file_.clear();
  file_.seekg(0);
  char buffer[65536];
  uint64_t left = fileSize_;
  while (left > 0) {
    const auto chunk = static_cast<std::streamsize>(std::min<uint64_t>(left, sizeof buffer));
    if (!file_.read(buffer, chunk)) {
      file_.clear();
      throw ERuntimeError(OpenErrorText(fileName_));
    }
    if (!out->Write(std::string_view(buffer, static_cast<size_t>(chunk))))
      throw ERuntimeError(WriteErrorText(fileName));
    left -= static_cast<uint64_t>(chunk);
  }
  if (!out->Commit()) throw ERuntimeError(WriteErrorText(fileName));
}

// ---- cipher

const std::string& MixContainerKey() {
  static const std::string key = SJ("]ぬけ#ぽれ＊?>>>");
  return key;
}

void DecipherMixEntry(std::string& data) {
  TCipher cipher;  // re-seeds: each entry starts the key stream afresh
  cipher.Assign(data);
  cipher.Transform(MixContainerKey());
  data = cipher.Memory();
}

}  // namespace nura
