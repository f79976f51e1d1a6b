#include "engine/program_start.h"

#include <filesystem>

#include "engine/command_line.h"
#include "engine/dialogs.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/packed_program.h"
#include "engine/script_files.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

namespace {

// "-runtime FILE": the program packed behind another executable. A file
// without a sound container is reported and nothing runs.
bool LoadRuntimeProgram(TNuraEngine& engine, const std::string& file, std::string& source) {
  bool loaded = false;
  try {
    loaded = LoadAppendedProgram(engine, ScriptPathToNative(file), source);
  } catch (const std::exception&) {
    loaded = false;
  }
  if (!loaded) {
    engine.Base().SetScriptFile("", "");
    Dialogs().ShowWarning(SJ("指定されたプログラムファイルは壊れています。"),
                          SJ("プログラムの実行エラー"));
  }
  return loaded;
}

// A script file: read, then its folder becomes the current folder and the
// base folder.
bool LoadScriptFile(TNuraEngine& engine, const std::string& name, std::string& source) {
  std::string text, error;
  if (!ReadScriptFile(name, name, text, error)) {
    if (error.empty()) error = SJ("起動ファイル「") + name + SJ("」が読込めません。");
    Dialogs().ShowMessage(error, "");
    MarkConsoleRunFailed();
    return false;
  }
  TNuraBase& base = engine.Base();
  source = std::move(text);
  base.SetScriptFile(name, name);
  const std::string folder = FolderOfScriptPath(name);
  if (!folder.empty()) {
    std::error_code ec;
    std::filesystem::current_path(ScriptPathToNative(folder), ec);
  }
  std::error_code ec;
  base.baseFolder =
      NativePathToScript(std::filesystem::current_path(ec).string()) + "/";
  return true;
}

}  // namespace

void LoadStartProgram(TNuraEngine& engine, const TCommandLine& cl, std::string& source) {
  TNuraBase& base = engine.Base();
  try {
    // A program packed behind our own executable wins over the command line.
    if (!cl.runFirst && LoadAppendedProgram(engine, cl.programPath, source)) return;
    base.debugFlag = cl.debug;
    base.lineStop = cl.lineStop;
    if (cl.securityLevel >= 0) base.securityLevel = cl.securityLevel;
    if (!cl.resourceFile.empty()) OpenResourceContainer(engine, cl.resourceFile, cl.resourceOwned);
    if (!cl.runtimeFile.empty()) {
      base.runtimeFlag = true;
      if (!LoadRuntimeProgram(engine, cl.runtimeFile, source)) return;
    }
  } catch (const std::exception& e) {
    if (ErrorLog().empty()) ErrorLog() = std::string(e.what()) + "\r\n";
    Dialogs().ShowErrorDialog(ErrorLog());
    base.SetScriptFile("", "");
    return;
  }
  if (!base.ScriptFileName().empty()) return;  // the "-runtime" program
  std::string name = cl.scriptName;
  if (name.empty()) {
    const std::string found = FindDefaultScript(cl.programPath);
    if (found.empty()) return;
    name = NativePathToScript(found);
    base.defaultScriptFlag = true;
  }
  LoadScriptFile(engine, name, source);
}

bool PrepareStartRun(TNuraEngine& engine, const std::string& source) {
  const std::string fileName = engine.ScriptFileName();
  if (fileName.empty()) return false;
  try {
    engine.PrepareRun(source, fileName);
  } catch (const std::exception& e) {
    if (ErrorLog().empty()) ErrorLog() = std::string(e.what()) + "\r\n";
    Dialogs().ShowErrorDialog(ErrorLog());
    return false;
  }
  return true;
}

void RunStartProgram(TNuraEngine& engine) {
  try {
    engine.Run();
  } catch (const std::exception& e) {
    if (ErrorLog().empty()) Dialogs().ShowMessage(SJ("システムエラー:") + e.what(), "");
  }
}

}  // namespace nura
