// The LHA reading path with arbitrary archive bytes: the whole extraction
// through the archive component and the LHA library's command line, and
// the listing. Nothing may crash, hang, or be written outside the
// destination folder.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "archive/archive_file.h"

namespace {

namespace fs = std::filesystem;

// A folder of this process, removed at its end: "in.lzh" and the
// destination "out" inside.
struct TWorkFolder {
  fs::path path;
  TWorkFolder() {
    std::string pattern = (fs::temp_directory_path() / "nura-lha-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    path = pattern;
  }
  ~TWorkFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

const fs::path& WorkFolder() {
  static const TWorkFolder folder;
  return folder.path;
}

// Only "in.lzh" and "out" may be in the work folder afterwards.
void CheckNothingOutside(const fs::path& folder) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name != "in.lzh" && name != "out") std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path& folder = WorkFolder();
  const fs::path archive = folder / "in.lzh";
  const fs::path out = folder / "out";
  {
    std::ofstream file(archive, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  nura::TArchiveFile file;
  file.SetFileName(archive.string());
  file.SetOutputSize(4096);
  file.Options().jse = 1;
  file.Options().jso = 1;
  file.Options().c = 1;
  file.Extract(nullptr, nullptr, {}, out.string());
  nura::TArchiver& lha = *file.Archiver();
  const nura::TArchiveHandle handle = lha.OpenArchive(nullptr, archive.string(), 0);
  if (handle != 0) {
    nura::TIndividualInfo info;
    for (int r = lha.FindFirst(handle, "*", info); r == 0; r = lha.FindNext(handle, info)) {
    }
    lha.CloseArchive(handle);
  }
  CheckNothingOutside(folder);
  std::error_code ec;
  fs::remove_all(out, ec);
  return 0;
}
