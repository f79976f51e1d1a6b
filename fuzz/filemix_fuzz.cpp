// The container reader: the input is written to a file of this process
// and opened as a container; every entry that its table names is
// extracted, also as a text.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "engine/filemix.h"
#include "fuzz_input.h"

namespace {

constexpr size_t kHeaderSize = 11, kRecordSize = 265, kNameSize = 256;

// The names of the input's entry records, as the table holds them.
std::vector<std::string> RecordNames(const std::string& input) {
  std::vector<std::string> names;
  for (size_t at = kHeaderSize; at + kRecordSize <= input.size() && names.size() < 64; at += kRecordSize) {
    const std::string field = input.substr(at, kNameSize);
    names.push_back(field.substr(0, field.find('\0')));
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/nura-fuzz-" + std::to_string(getpid()) + ".mix";
  const std::string input = nura::fuzz::Bytes(data, size);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << input;
  try {
    nura::TFileMixReader reader(path);
    for (const std::string& name : RecordNames(input)) {
      std::string bytes, text;
      reader.ExtractToStream(name, bytes);
      reader.ExtractToString(name, text);
    }
  } catch (const std::runtime_error&) {
  }
  std::remove(path.c_str());
  return 0;
}
