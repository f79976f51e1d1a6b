#include "support/file_command_support.h"

#include <filesystem>
#include <system_error>

#include "engine/command_api.h"
#include "engine/security.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

namespace {

// Byte offset just past the last folder delimiter ("\", "/", ":"), 0 if none.
size_t NameStart(const std::string& path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (IsSjisLead(c) && i + 1 < path.size()) {
      ++i;
    } else if (c == '\\' || c == '/' || c == ':') {
      start = i + 1;
    }
  }
  return start;
}

// Offset of the extension's "." in the name part, npos when none.
size_t ExtensionStart(const std::string& path) {
  const size_t start = NameStart(path);
  size_t dot = std::string::npos;
  for (size_t i = start; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (IsSjisLead(c) && i + 1 < path.size()) {
      ++i;
    } else if (c == '.') {
      dot = i;
    }
  }
  return dot;
}

}  // namespace

void RaiseFileError(TNuraEngine& engine, const std::string& name, const std::string& tail) {
  RaiseScriptError(engine, SJ("ファイル\"") + name + SJ("\"の、読み込みか書き込みに、失敗しました。") + tail);
}

bool IsAbsoluteScriptPath(const std::string& path) {
  if (path.empty()) return false;
  return path[0] == '/' || path[0] == '\\' || path.find(':') != std::string::npos;
}

std::string AbsoluteScriptPath(const std::string& path) {
  if (path.empty() || IsAbsoluteScriptPath(path)) return path;
  std::error_code ec;
  std::string current = NativePathToScript(std::filesystem::current_path(ec).string());
  if (current.empty() || current.back() != '/') current += '/';
  return current + path;
}

bool ConfirmChange(TNuraEngine& engine, const std::string& path, const std::string& message) {
  return ConfirmFileOperation(engine, AbsoluteScriptPath(path), message) == 0;
}

std::string ConfirmTargetOf(TNuraEngine& engine, const std::string& source,
                            const std::string& destination) {
  const std::string folder = ScriptPathToNative(ScriptFolder(engine));
  const std::string native = ScriptPathToNative(AbsoluteScriptPath(source));
  return IsInsideFolder(folder, native) ? destination : source;
}

std::string ExtractFolderPart(const std::string& path) { return path.substr(0, NameStart(path)); }

std::string ExtractNamePart(const std::string& path) { return path.substr(NameStart(path)); }

std::string ExtractExtension(const std::string& path) {
  const size_t dot = ExtensionStart(path);
  return dot == std::string::npos ? "" : path.substr(dot);
}

std::string ChangeExtension(const std::string& path, const std::string& ext) {
  const size_t dot = ExtensionStart(path);
  return (dot == std::string::npos ? path : path.substr(0, dot)) + ext;
}

bool EndsWithSeparator(const std::string& path) {
  if (path.empty()) return false;
  const char c = path.back();
  if (c != '\\' && c != '/') return false;
  // A "\" may be the trail byte of a two-byte character.
  return ExtractNamePart(path).empty();
}

}  // namespace nura
