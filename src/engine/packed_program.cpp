#include "engine/packed_program.h"

#include <algorithm>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/filemix.h"
#include "engine/script_files.h"
#include "platform/file_io.h"
#include "platform/native_file.h"
#include "platform/native_path.h"
#include "platform/private_folder.h"
#include "platform/sjis.h"
#include "platform/system_info.h"

namespace nura {

namespace {

// The temporary folder, native, without its trailing "/".
std::string TempFolder() {
  std::string folder = SystemFolderPath(SystemFolder::Temp);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// A container entry's name as one plain file name: every separator, ":"
// and ".." becomes "__", so the file stays in the temporary folder.
std::string SafeExtractName(const std::string& name) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (IsSjisLead(c) && i + 1 < name.size()) {
      out += name.substr(i, 2);
      ++i;
    } else if (c == '\\' || c == '/' || c == ':') {
      out += "__";
    } else if (c == '.' && i + 1 < name.size() && name[i + 1] == '.') {
      out += "__";
      ++i;
    } else if (c == 0) {
      out += '_';
    } else {
      out += static_cast<char>(c);
    }
  }
  if (out.empty() || out == ".") out = "__";
  return out;
}

}  // namespace

namespace {

// The first free name `stem` + n + `extension` in `folder`, n from 1,
// created exclusively. Native path.
std::string CreateNumberedFileIn(const std::string& folder, const std::string& stem, const std::string& extension) {
  for (int n = 1; !folder.empty() && n < 100000; ++n) {
    const std::string path = folder + "/" + stem + std::to_string(n) + extension;
    const TCreateResult made = CreateNewFile(path);
    if (made == TCreateResult::Created) return path;
    if (made == TCreateResult::Failed) break;
  }
  throw ERuntimeError(SJ("一時ファイルを作成できません。"));
}

}  // namespace

std::string CreateNumberedTempFile(const std::string& stem, const std::string& extension) {
  return CreateNumberedFileIn(TempFolder(), stem, extension);
}

bool LoadAppendedProgram(TNuraEngine& engine, const std::string& executable, std::string& source) {
  std::string data;
  if (executable.empty() || !FindAppendedData(executable, data) || data.empty()) return false;
  TNuraBase& base = engine.Base();
  try {
    const std::string copy = CreateNumberedFileIn(PrivateRunFolder(), "TMP", ".TMP");
    base.containerTempFile = copy;
    if (!WriteFileAtomically(copy, data)) throw ERuntimeError(SJ("一時ファイルに書き込めません。"));
    base.containerReader = std::make_unique<TFileMixReader>(NativePathToScript(copy));
    static const std::string kProgramEntry = "nurasera.nrs";
    if (!base.containerReader->ExtractToStream(kProgramEntry, source)) return false;
    std::string error;
    if (!ScriptTextFromFile(source, kProgramEntry, error)) throw ENura(error);
  } catch (const ENura&) {
    throw;
  } catch (const std::exception& e) {
    throw ENura(SJ("ファイルの展開に失敗しました。") + e.what());
  }
  base.SetScriptFile("nurasera.nrs", "");
  base.appendedFlag = true;
  return true;
}

bool IsNumberedContainerCopy(const std::string& nativePath) {
  const std::string prefix = TempFolder() + "/TMP";
  if (nativePath.size() <= prefix.size() + 4 || nativePath.compare(0, prefix.size(), prefix) != 0 ||
      nativePath.compare(nativePath.size() - 4, 4, ".TMP") != 0) {
    return false;
  }
  const std::string digits = nativePath.substr(prefix.size(), nativePath.size() - prefix.size() - 4);
  return digits.find_first_not_of("0123456789") == std::string::npos;
}

void OpenResourceContainer(TNuraEngine& engine, const std::string& scriptPath, bool owned) {
  TNuraBase& base = engine.Base();
  const std::string native = ScriptPathToNative(scriptPath);
  if (owned && IsNumberedContainerCopy(native)) base.containerTempFile = native;
  try {
    base.containerReader = std::make_unique<TFileMixReader>(scriptPath);
  } catch (const std::exception&) {
    throw ENura(SJ("リソースファイルの取り込みに失敗しました。"));
  }
}

std::string ExtractPackedFile(TNuraEngine& engine, const std::string& name) {
  TNuraBase& base = engine.Base();
  if (!base.containerReader || name.empty()) return "";
  std::string data;
  if (!base.containerReader->ExtractToStream(name, data)) return "";
  const std::string folder = PrivateRunFolder();
  const std::string path = NativePathToScript(folder + "/" + SafeExtractName(name));
  if (std::find(base.extractedFiles.begin(), base.extractedFiles.end(), path) !=
      base.extractedFiles.end()) {
    return path;  // extracted once already
  }
  if (folder.empty() || !WriteNewPrivateFile(ScriptPathToNative(path), data)) {
    throw ENura(SJ("実行ファイルに梱包されている\"") + name + SJ("\"の展開に失敗しました。"));
  }
  base.extractedFiles.push_back(path);
  return path;
}

}  // namespace nura
