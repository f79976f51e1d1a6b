// A fixture for the archive tests: a fresh temporary folder that is the
// current folder and the script's folder (so the security confirmation
// asks nothing), the archive commands and the switch variables with their
// built-in defaults, and helpers for files and the Debian test tools.
#pragma once

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/archive_commands.h"
#include "archive/archive_io.h"
#include "archive/lha_writer.h"
#include "common/command_test_support.h"
#include "engine/command_api.h"
#include "engine/vocabulary.h"
#include "common/run_program.h"

namespace nura::test {

inline void WriteBytes(const std::string& native, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(native).parent_path());
  std::ofstream out(native, std::ios::binary);
  out << bytes;
}

inline std::string ReadBytes(const std::string& native) {
  std::ifstream in(native, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Sets a file's modification time to exactly `when` (whole seconds).
inline void SetModified(const std::string& native, time_t when) {
  const timespec times[2] = {{when, 0}, {when, 0}};
  utimensat(AT_FDCWD, native.c_str(), times, 0);
}

struct ToolResult {
  int status = -1;
  std::string output;
};

// Runs a shell command line; its standard output and error together.
inline ToolResult RunTool(const std::string& command) {
  ToolResult result;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

inline bool HaveTool(const std::string& name) {
  return RunTool("command -v " + name).status == 0;
}

// One member of a tar archive written by a test.
struct TarMember {
  std::string name;  // UTF-8
  char kind;         // 'f' file, 'd' folder, 's' symbolic link, 'h' hard link
  std::string data;  // file bytes, or the link's target
  time_t mtime = 1700000000;
};

// Writes `members` in order as a pax tar archive at `path`.
inline void WriteTar(const std::string& path, const std::vector<TarMember>& members) {
  TUtf8Locale locale;
  struct archive* a = archive_write_new();
  archive_write_set_format_pax_restricted(a);
  archive_write_open_filename(a, path.c_str());
  for (const TarMember& m : members) {
    struct archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, m.name.c_str());
    archive_entry_set_perm(e, m.kind == 'd' ? 0755 : 0644);
    archive_entry_set_mtime(e, m.mtime, 0);
    archive_entry_set_filetype(e, m.kind == 'd' ? AE_IFDIR : m.kind == 's' ? AE_IFLNK : AE_IFREG);
    if (m.kind == 's') archive_entry_set_symlink(e, m.data.c_str());
    if (m.kind == 'h') archive_entry_set_hardlink(e, m.data.c_str());
    if (m.kind == 'f') archive_entry_set_size(e, static_cast<la_int64_t>(m.data.size()));
    archive_write_header(a, e);
    if (m.kind == 'f') archive_write_data(a, m.data.data(), m.data.size());
    archive_entry_free(e);
  }
  archive_write_close(a);
  archive_write_free(a);
}

// An LHA member with a level-2 header whose name extension holds `name`
// as it is (folders and all), stored without compression.
inline std::string CraftedLhaMember(const std::string& name, const std::string& data) {
  std::string h;
  auto le = [&](uint64_t v, int n) {
    for (int i = 0; i < n; ++i) h += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  le(0, 2);
  h += "-lh0-";
  le(data.size(), 4);
  le(data.size(), 4);
  le(1700000000, 4);
  h += '\x20';
  h += '\x02';
  le(LhaCrc16(data), 2);
  h += 'U';
  const size_t crcAt = h.size() + 3;
  le(5, 2);
  h += '\x00';
  le(0, 2);
  le(name.size() + 3, 2);
  h += '\x01';
  h += name;
  le(0, 2);
  if ((h.size() & 0xFF) == 0) h += '\0';
  h[0] = static_cast<char>(h.size() & 0xFF);
  h[1] = static_cast<char>(h.size() >> 8);
  const uint16_t crc = LhaCrc16(h);
  h[crcAt] = static_cast<char>(crc & 0xFF);
  h[crcAt + 1] = static_cast<char>(crc >> 8);
  return h + data;
}

class ArchiveFixture : public CommandFixture {
 protected:
  static void SetUpTestSuite() { RegisterArchiveCommands(); }

  void SetUp() override {
    previous_ = std::filesystem::current_path();
    dir_ = MakeTempFolder();
    std::filesystem::current_path(dir_);
    engine.Base().baseFolder = Utf8ToSjis(dir_ + "/");
    engine.Base().scriptPath = "t.nrs";
    for (const auto& v : BuiltinVariables()) {
      const std::string name = SjisToUtf8(v.name);
      if (name == "圧縮オプション" || name == "解凍オプション" || name == "自己解凍書庫オプション")
        AddVariable(engine, v.name, v.value, "s");
    }
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // A native path inside the test folder, from UTF-8.
  std::string Path(const std::string& relative) const { return dir_ + "/" + relative; }
  // The same as a script argument (Shift-JIS, unevaluated).
  std::string Arg(const std::string& relativeUtf8) const { return Jp(dir_ + "/" + relativeUtf8); }

  std::string dir_;

 private:
  std::filesystem::path previous_;
};

}  // namespace nura::test
