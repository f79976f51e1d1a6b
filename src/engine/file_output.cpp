// File names of scripts completed against the run's folders, and the
// display output file.
#include <filesystem>
#include <fstream>
#include <system_error>

#include "engine/engine.h"
#include "engine/errors.h"
#include "platform/native_path.h"
#include "platform/sjis.h"
#include "platform/system_info.h"

namespace nura {

namespace {

bool ScriptFileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(ScriptPathToNative(path), ec);
}

// The folder part of a script path, with its separator; empty when none.
std::string FolderOf(const std::string& path) {
  size_t end = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsSjisLead(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
    } else if (path[i] == '\\' || path[i] == '/') {
      end = i + 1;
    }
  }
  return path.substr(0, end);
}

std::string WithSeparator(const std::string& folder) {
  if (folder.empty() || folder.back() == '/' || folder.back() == '\\') return folder;
  return folder + "/";
}

}  // namespace

std::string TNuraEngine::ResolveFilePath(const std::string& name) {
  if (name.empty() || name.find(':') != std::string::npos || name[0] == '/' || name[0] == '\\') {
    return name;
  }
  std::error_code ec;
  const std::string current = NativePathToScript(std::filesystem::current_path(ec).string());
  const std::string candidates[] = {
      WithSeparator(current) + name,
      WithSeparator(base_->baseFolder) + name,
      NativePathToScript(SystemFolderPath(SystemFolder::Program)) + name,
      FolderOf(base_->fileName) + name,
  };
  for (const std::string& candidate : candidates) {
    if (candidate != name && ScriptFileExists(candidate)) return candidate;
  }
  return name;
}

void TNuraEngine::AppendDisplayOutput(const std::string& text) {
  const std::string path = ResolveFilePath(base_->words.FindValue(SJ("表示出力先"), false));
  if (ConfirmFileOperation(path, "\"" + path + SJ("\"へ書き込みます。")) != 0) return;
  const std::string native = ScriptPathToNative(path);
  // A line of its own: a file that does not end in a line break gets one.
  std::string line = text + "\r\n";
  {
    std::ifstream in(native, std::ios::binary | std::ios::ate);
    if (in && in.tellg() > 0) {
      in.seekg(-1, std::ios::end);
      const int last = in.get();
      if (last != '\n' && last != '\r') line = "\r\n" + line;
    }
  }
  std::ofstream out(native, std::ios::binary | std::ios::app);
  out << line;
  if (!out) throw ENura(FormatErrorMessage("\"" + path + SJ("\"へ書き込めませんでした。")));
}

}  // namespace nura
