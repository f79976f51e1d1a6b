// Our own LHA (-lh5- and -lh0-) and CAB writers with arbitrary file
// contents: what libarchive reads back must be the same members with the
// same names and bytes.
#include <cstdint>
#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "archive/archive_io.h"
#include "archive/cab_writer.h"
#include "archive/lha_writer.h"
#include "platform/sjis.h"

namespace {

namespace fs = std::filesystem;

struct TFileData {
  std::string name;  // UTF-8
  std::string data;
};

// One to four members: the first byte chooses the count, the rest is cut
// into that many parts; the second member has a Japanese name in a folder.
std::vector<TFileData> Members(const uint8_t* data, size_t size) {
  std::vector<TFileData> members;
  const size_t count = size == 0 ? 1 : data[0] % 4 + 1;
  const std::string rest = size == 0 ? "" : std::string(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t part = rest.size() / count;
  for (size_t i = 0; i < count; ++i) {
    const size_t length = i + 1 == count ? rest.size() - part * i : part;
    const std::string name = i == 1 ? "フォルダ/日本" + std::to_string(i) + ".txt"
                                    : "dir" + std::to_string(i) + "/m" + std::to_string(i) + ".bin";
    members.push_back({name, rest.substr(part * i, length)});
  }
  return members;
}

void ReadBack(nura::TBackendFormat format, const std::string& bytes,
              const std::vector<TFileData>& members) {
  // A file of this process, removed at its end.
  static const struct TScratch {
    fs::path path;
    TScratch() {
      std::string pattern = (fs::temp_directory_path() / "nura-writers-fuzz-XXXXXX").string();
      const int fd = mkstemp(pattern.data());
      if (fd < 0) std::abort();
      close(fd);
      path = pattern;
    }
    ~TScratch() {
      std::error_code ec;
      fs::remove(path, ec);
    }
  } scratch;
  const fs::path& file = scratch.path;
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  nura::TUtf8Locale locale;
  nura::TArchiveReader reader(format);
  if (!reader.Open(file.string())) std::abort();
  nura::TMember member;
  size_t index = 0;
  for (int r; (r = reader.Next(member)) != 0; ++index) {
    if (r < 0 || index >= members.size()) std::abort();
    std::string data;
    if (!reader.ReadData(data)) std::abort();
    if (member.name != members[index].name || data != members[index].data) std::abort();
  }
  if (index != members.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<TFileData> members = Members(data, size);
  for (bool store : {false, true}) {
    std::ostringstream lha;
    nura::TLhaWriter writer(lha);
    for (const TFileData& m : members) writer.AddFile(nura::Utf8ToSjis(m.name), 1700000000, m.data, store);
    if (!writer.Finish()) std::abort();
    ReadBack(nura::TBackendFormat::Lha, lha.str(), members);
  }
  nura::TCabWriter cab;
  for (const TFileData& m : members) cab.AddFile(m.name, 1700000000, m.data);
  std::ostringstream cabBytes;
  if (!cab.Write(cabBytes)) std::abort();
  ReadBack(nura::TBackendFormat::Cab, cabBytes.str(), members);
  return 0;
}
