// The FTP commands over one control connection from "FTP接続" to "FTP切断".
#include <algorithm>
#include <cctype>

#include "support/file_command_support.h"
#include "support/wildcard.h"
#include "engine/command_api.h"
#include "engine/dialogs.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "net/ftp_client.h"
#include "net/net_commands.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// The interpreter's one FTP client and the stop callback that "FTP接続"
// installs for the progress window.
struct TFtpSession {
  TNuraEngine* engine = nullptr;
  std::function<void()> onStop;
  TFtpClient client{TNetWaiting{[this] {
                                  if (engine) EngineHost(*engine).ProcessEvents();
                                },
                                nullptr}};
};

TFtpSession& Session(TNuraEngine& engine) {
  TFtpSession& session = FamilyState<TFtpSession>(engine);
  session.engine = &engine;
  return session;
}

std::string Variable(TNuraEngine& engine, const char* utf8Name) {
  return WordValue(engine, SJ(utf8Name));
}

// The progress window's stop callback while connected: the running
// transfer ends with ABOR.
void AbortFtpTransfer(TFtpSession& session) { session.client.RequestAbort(); }

// The connection check of every command after "FTP接続".
TFtpSession& ConnectedSession(TNuraEngine& engine) {
  TFtpSession& session = Session(engine);
  if (!session.client.IsConnected()) RaiseScriptError(engine, SJ("FTPで接続が確立されていません。"));
  return session;
}

void ShowStage(TFtpSession& session, const std::string& stage, bool pump) {
  Dialogs().ShowProgress(stage, 0, session.onStop);
  if (pump) EngineHost(*session.engine).ProcessEvents();
}

// The frame of the commands that can fail: connection check, progress
// window, operation; a failure closes the window and raises `failure`
// (with the client's message appended when `withReason`).
void RunFtpOperation(TNuraEngine& engine, const std::string& stage, bool pump,
                     const std::string& failure, bool withReason,
                     const std::function<void(TFtpSession&)>& operation) {
  TFtpSession& session = ConnectedSession(engine);
  ShowStage(session, stage, pump);
  try {
    operation(session);
  } catch (const ENetError& e) {
    Dialogs().HideProgress();
    RaiseScriptError(engine, withReason ? failure + e.what() : failure);
  }
  Dialogs().HideProgress();
}

// Transfer progress: the bar as the percentage of the announced size, and
// the event queue, so that the stop button works.
TFtpClient::Progress TransferProgress(TFtpSession& session, const std::string& stage) {
  return [&session, stage](int64_t done, int64_t total) {
    const int percent =
        total > 0 ? static_cast<int>(std::min<long double>(100, static_cast<long double>(done) * 100 / total)) : 0;
    Dialogs().ShowProgress(stage, percent, session.onStop);
    EngineHost(*session.engine).ProcessEvents();
  };
}

void FtpConnect(TNuraEngine& engine, CommandId) {
  TFtpSession& session = Session(engine);
  session.client.Disconnect();
  session.onStop = [&session] { AbortFtpTransfer(session); };
  const std::string host = Variable(engine, "FTPホスト");
  const std::string user = TrimText(Variable(engine, "FTPユーザーID"));
  const std::string password = TrimText(Variable(engine, "FTPパスワード"));
  std::string mode = Variable(engine, "FTP接続方式");
  for (char& c : mode) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  try {
    session.client.Connect(host, TFtpClient::kPort, user, password, mode == "PASV");
  } catch (const ENetError& e) {
    RaiseScriptError(engine, FormatText(SJ("FTPのエラー。%s"), SJ("接続に失敗。")) + e.what());
  }
}

void FtpDisconnect(TNuraEngine& engine, CommandId) {
  TFtpSession& session = Session(engine);
  session.client.Disconnect();
  session.onStop = nullptr;
}

void FtpUpload(TNuraEngine& engine, CommandId) {
  const std::string remote = PopText(engine);
  const std::string local = PopText(engine);
  const std::string stage = remote + SJ("をアップロード中");
  RunFtpOperation(engine, stage, false, Quoted(remote) + SJ("へのFTPアップロードに失敗"), false,
                  [&](TFtpSession& s) {
                    s.client.Store(ScriptPathToNative(local), remote, TransferProgress(s, stage));
                  });
}

void FtpDownload(TNuraEngine& engine, CommandId) {
  const std::string local = PopText(engine);
  const std::string remote = PopText(engine);
  const std::string stage = local + SJ("をダウンロード中");
  RunFtpOperation(engine, stage, false, Quoted(local) + SJ("へのFTPダウンロードに失敗"), false,
                  [&](TFtpSession& s) {
                    s.client.Retrieve(remote, ScriptPathToNative(local), TransferProgress(s, stage));
                  });
}

void FtpTransferMode(TNuraEngine& engine, CommandId) {
  const std::string mode = PopText(engine);
  try {
    Session(engine).client.SetBinary(SjisPos(SJ("バイナリ"), mode) > 0);
  } catch (const ENetError&) {
    // The mode is kept for the next connection; this command reports nothing.
  }
}

void FtpWorkingFolder(TNuraEngine& engine, CommandId) {
  const std::string folder = PopText(engine);
  RunFtpOperation(engine, folder + SJ(" へFTPフォルダ変更"), false,
                  Quoted(folder) + SJ("へのFTPフォルダ変更に失敗"), false,
                  [&](TFtpSession& s) { s.client.ChangeFolder(folder); });
}

void FtpParentFolder(TNuraEngine& engine, CommandId) {
  RunFtpOperation(engine, SJ("FTP親ディレクトリに移動"), true, SJ("FTP親ディレクトリに移動に失敗"), false,
                  [](TFtpSession& s) { s.client.ParentFolder(); });
}

void FtpCreateFolder(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  RunFtpOperation(engine, name + SJ(" へFTPフォルダ作成"), false,
                  Quoted(name) + SJ("へのFTPフォルダ作成に失敗。"), true,
                  [&](TFtpSession& s) { s.client.MakeFolder(name); });
}

void FtpDeleteFile(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  RunFtpOperation(engine, name + SJ(" のFTPファイル削除"), false,
                  Quoted(name) + SJ("のFTPファイル削除に失敗"), false,
                  [&](TFtpSession& s) { s.client.DeleteFile(name); });
}

void FtpDeleteFolder(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  RunFtpOperation(engine, name + SJ(" へFTPフォルダ削除"), false,
                  Quoted(name) + SJ("へのFTPフォルダ削除に失敗"), false,
                  [&](TFtpSession& s) { s.client.RemoveFolder(name); });
}

void FtpSetAttributes(TNuraEngine& engine, CommandId id) {
  const int32_t number = PopInteger(engine);
  const std::string file = PopText(engine);
  if (number < 0) RaiseArgumentError(engine, id);
  const std::string mode = std::to_string(number);
  RunFtpOperation(engine, file + SJ(" のFTPファイル属性変更"), true,
                  Quoted(file) + SJ(" のFTPファイル属性変更に失敗"), false,
                  [&](TFtpSession& s) { s.client.Site("chmod " + mode + " " + file); });
}

// The name of a detailed listing line: its last blank-separated field.
std::string LastBlankField(const std::string& line) {
  const std::string trimmed = TrimText(line);
  const size_t blank = trimmed.find_last_of(" \t");
  return blank == std::string::npos ? trimmed : trimmed.substr(blank + 1);
}

std::string FirstBlankField(const std::string& line) {
  const std::string trimmed = TrimText(line);
  std::string field = trimmed.substr(0, trimmed.find_first_of(" \t"));
  for (char& c : field) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return field;
}

// The lines of a listing; none when it fails (the listing commands never
// fail once connected).
std::vector<std::string> ListingOrNothing(const std::function<std::vector<std::string>()>& list) {
  try {
    return list();
  } catch (const ENetError&) {
    return {};
  }
}

// "FTPファイル列挙" (names matching the pattern, asked of the server) and
// "FTPフォルダ列挙" (folders of a detailed listing, matched here). Listing
// failures give what arrived: nothing.
void FtpListEntries(TNuraEngine& engine, bool folders) {
  const std::string pattern = PopText(engine);
  SetTextResult(engine, "");
  TFtpSession& session = ConnectedSession(engine);
  ShowStage(session,
            Quoted(pattern) + SJ(folders ? " のディレクトリ一覧を取得中" : " のファイル一覧を取得中"), true);
  const std::vector<std::string> lines = ListingOrNothing(
      [&] { return folders ? session.client.List("") : session.client.NameList(pattern); });
  Dialogs().HideProgress();
  std::vector<std::string> taken;
  for (const std::string& line : lines) {
    if (!folders) {
      taken.push_back(line);
      continue;
    }
    const std::string first = FirstBlankField(line);
    if (first == "total" || !first.starts_with('d')) continue;
    const std::string name = LastBlankField(line);
    if (pattern.empty() || WildcardMatch(name, pattern)) taken.push_back(name);
  }
  SetTextResult(engine, TrimText(JoinLines(taken)));
}

void FtpListFiles(TNuraEngine& engine, CommandId) { FtpListEntries(engine, false); }
void FtpListFolders(TNuraEngine& engine, CommandId) { FtpListEntries(engine, true); }

void FtpFileInfo(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  SetTextResult(engine, "");
  TFtpSession& session = ConnectedSession(engine);
  ShowStage(session, Quoted(name) + SJ(" の情報を取得中"), false);
  const std::vector<std::string> lines = ListingOrNothing([&] { return session.client.List(name); });
  Dialogs().HideProgress();
  SetTextResult(engine, JoinLines(lines));
}

}  // namespace

constexpr CommandEntry kFtpCommands[] = {
    {CommandId::FtpConnect, FtpConnect},
    {CommandId::FtpUpload, FtpUpload},
    {CommandId::FtpDownload, FtpDownload},
    {CommandId::FtpDisconnect, FtpDisconnect},
    {CommandId::FtpTransferMode, FtpTransferMode},
    {CommandId::FtpWorkingFolder, FtpWorkingFolder},
    {CommandId::FtpDeleteFile, FtpDeleteFile},
    {CommandId::FtpDeleteFolder, FtpDeleteFolder},
    {CommandId::FtpListFiles, FtpListFiles},
    {CommandId::FtpListFolders, FtpListFolders},
    {CommandId::FtpCreateFolder, FtpCreateFolder},
    {CommandId::FtpSetAttributes, FtpSetAttributes},
    {CommandId::FtpParentFolder, FtpParentFolder},
    {CommandId::FtpFileInfo, FtpFileInfo},
};

void RegisterFtpCommands() { RegisterCommandTable(kFtpCommands); }

}  // namespace nura
