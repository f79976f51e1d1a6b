// "HTTPダウンロード".
#include "support/file_command_support.h"
#include "engine/command_api.h"
#include "engine/dialogs.h"
#include "engine/errors.h"
#include "net/http_download.h"
#include "net/net_commands.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// The local file name is used as written, without folder completion.
void HttpDownload(TNuraEngine& engine, CommandId) {
  const std::string file = PopText(engine);
  const std::string url = PopText(engine);
  Dialogs().ShowProgress(Quoted(url) + SJ(" よりHTTPデータ取得中"), 0, nullptr);
  TqvlHttp http;
  const bool ok = http.Download(url, ScriptPathToNative(file));
  Dialogs().HideProgress();
  // The reason (the status, a refused connection, a full disk) follows.
  if (!ok) RaiseScriptError(engine, Quoted(url) + SJ("からのダウンロードに失敗。") + Utf8ToSjis(http.LastError()));
}

}  // namespace

constexpr CommandEntry kHttpCommands[] = {
    {CommandId::HttpDownload, HttpDownload},
};

void RegisterHttpCommands() { RegisterCommandTable(kHttpCommands); }

void RegisterNetCommands() {
  RegisterMailCommands();
  RegisterFtpCommands();
  RegisterHttpCommands();
  RegisterTcpCommands();
  RegisterDdeCommands();
  RegisterLanCommands();
  RegisterContainerCommands();
}

}  // namespace nura
