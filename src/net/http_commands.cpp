// "HTTPダウンロード".
#include "commands/command_errors.h"
#include "commands/file_command_support.h"
#include "engine/command_registry.h"
#include "engine/dialogs.h"
#include "engine/engine.h"
#include "net/http_download.h"
#include "net/net_commands.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr int kIdHttpDownload = 236;

// The local file name is used as written, without folder completion.
void CmdHttpDownload(TNuraEngine& engine, int) {
  const std::string file = engine.PopArgumentText();
  const std::string url = engine.PopArgumentText();
  Dialogs().ShowProgress(Quoted(url) + SJ(" よりHTTPデータ取得中"), 0, nullptr);
  TqvlHttp http;
  const bool ok = http.Download(url, ScriptPathToNative(file));
  Dialogs().HideProgress();
  if (!ok) RaiseScriptError(engine, Quoted(url) + SJ("からのダウンロードに失敗"));
}

}  // namespace

void RegisterHttpCommands() { RegisterCommandHandler(kIdHttpDownload, CmdHttpDownload); }

void RegisterNetCommands() {
  RegisterMailCommands();
  RegisterFtpCommands();
  RegisterHttpCommands();
}

}  // namespace nura
