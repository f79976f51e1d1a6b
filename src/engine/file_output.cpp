// File names of scripts completed against the run's folders, and the
// display output file.
#include <filesystem>
#include <fstream>
#include <system_error>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/script_files.h"
#include "platform/native_path.h"
#include "platform/sjis.h"
#include "platform/system_info.h"

namespace nura {

std::string TNuraEngine::ResolveFilePath(const std::string& name) {
  return nura::ResolveFilePath(*this, name);
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
