#include "engine/script_files.h"

#include <filesystem>

#include "engine/command_line.h"
#include "engine/engine.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace fs = std::filesystem;

std::string FindDefaultScript(const std::string& programPath) {
  if (programPath.empty()) return "";
  fs::path p(programPath);
  p.replace_extension(".nrs");
  std::error_code ec;
  return fs::is_regular_file(p, ec) ? p.string() : "";
}

bool ReadWholeFile(const std::string& scriptPath, std::string& bytes) {
  const std::string native = ScriptPathToNative(scriptPath);
  return !native.empty() && ReadNativeFile(native, bytes);
}

bool ReadScriptFile(const std::string& scriptPath, const std::string& name, std::string& text,
                    std::string& error) {
  error.clear();
  return ReadWholeFile(scriptPath, text) && ScriptTextFromFile(text, name, error);
}

bool ScriptTextFromFile(std::string& text, const std::string& name, std::string& error) {
  int line = 0;
  if (ScriptTextToSjis(text, line)) return true;
  error = SJ("ファイル「") + name + SJ("」の") + std::to_string(line) +
          SJ("行目に、Shift-JISで表せない文字があります。");
  text.clear();
  return false;
}

std::string FolderOfScriptPath(const std::string& path) {
  size_t end = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (IsSjisLead(c) && i + 1 < path.size()) {
      ++i;
    } else if (c == '\\' || c == '/') {
      end = i + 1;
    }
  }
  return path.substr(0, end);
}

namespace {

bool IsAbsoluteScriptPath(const std::string& name) {
  if (name.empty()) return false;
  if (name[0] == '/' || name[0] == '\\') return true;
  return name.find(':') != std::string::npos;
}

bool Exists(const std::string& scriptPath) {
  std::error_code ec;
  return fs::exists(ScriptPathToNative(scriptPath), ec);
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  return folder;
}

}  // namespace

std::string ResolveFilePath(TNuraEngine& engine, const std::string& name) {
  if (name.empty() || IsAbsoluteScriptPath(name)) return name;
  std::error_code ec;
  const std::string current = NativePathToScript(fs::current_path(ec).string());
  const std::string program =
      NativePathToScript(fs::path(ProgramCommandLine().programPath).parent_path().string());
  const std::string candidates[] = {
      WithSeparator(current) + name,
      WithSeparator(engine.Base().baseFolder) + name,
      WithSeparator(program) + name,
      FolderOfScriptPath(engine.Base().FileName()) + name,
  };
  for (const auto& c : candidates) {
    if (Exists(c)) return c;
  }
  return name;
}

}  // namespace nura
