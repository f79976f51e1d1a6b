// "メール送信" and "メール受信".
#include <chrono>
#include <filesystem>
#include <thread>

#include "support/file_command_support.h"
#include "engine/command_api.h"
#include "engine/dialogs.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "net/mail_composer.h"
#include "net/net_commands.h"
#include "net/pop3_client.h"
#include "net/received_mail.h"
#include "net/smtp_sender.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace {

std::string Variable(TNuraEngine& engine, const char* utf8Name) {
  return WordValue(engine, SJ(utf8Name));
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// "メールの送信エラー。%s" / "メールの受信エラー。%s" with `reason` (Shift-JIS).
[[noreturn]] void RaiseSendError(TNuraEngine& engine, const std::string& reason) {
  RaiseScriptError(engine, FormatText(SJ("メールの送信エラー。%s"), reason));
}
std::string ReceiveErrorText(const std::string& reason) {
  return FormatText(SJ("メールの受信エラー。%s"), reason);
}

// The attachments of "メール添付ファイル": each line completed to a file
// that must exist.
std::vector<TMailAttachment> ReadAttachments(TNuraEngine& engine) {
  std::vector<TMailAttachment> attachments;
  for (const std::string& line : SplitLines(Variable(engine, "メール添付ファイル"))) {
    const std::string path = ResolveFilePath(engine, line);
    const std::string native = ScriptPathToNative(path);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(native, ec)) {
      RaiseSendError(engine, SJ("添付ファイル") + Quoted(path) + SJ("がありません。"));
    }
    TMailAttachment attachment;
    attachment.name = ExtractNamePart(path);
    if (!ReadNativeFile(native, attachment.bytes)) RaiseScriptError(engine, SJ("メールのデコードに失敗"));
    attachments.push_back(std::move(attachment));
  }
  return attachments;
}

void SendMail(TNuraEngine& engine, CommandId) {
  const std::string host = Variable(engine, "メールホスト");
  if (host.empty()) RaiseSendError(engine, SJ("ホスト名が未設定です。"));
  TMailDraft draft;
  draft.to = Variable(engine, "メール送信先");
  if (draft.to.empty()) RaiseSendError(engine, SJ("送信先が未設定です。"));
  draft.body = Variable(engine, "メール本文");
  if (draft.body.empty()) RaiseSendError(engine, SJ("本文が未設定です。"));
  // Line breaks separate the recipients like those of the copy lists.
  draft.to = JoinAddressLines(draft.to);
  draft.subject = Variable(engine, "メールタイトル");
  draft.from = Variable(engine, "メール送信元");
  draft.fromName = Variable(engine, "メール送信者名");
  draft.bcc = JoinAddressLines(Variable(engine, "メールBCC"));
  draft.cc = JoinAddressLines(Variable(engine, "メールCC"));
  draft.attachments = ReadAttachments(engine);

  TSmtpJob job;
  job.host = host;
  job.sender = TrimText(draft.from);
  job.recipients = EnvelopeRecipients(draft);
  job.message = ComposeMail(draft, MailDateNow());
  job.onConnected = [] { Dialogs().ShowProgress(SJ("メール送信"), 0, nullptr); };

  Dialogs().ShowProgress(SJ("サーバーに接続中"), 0, nullptr);
  try {
    SendSmtpMail(job);
  } catch (const ESmtpError& e) {
    Dialogs().HideProgress();
    if (e.DuringConnect()) RaiseScriptError(engine, SJ("接続に失敗"));
    RaiseScriptError(engine, SJ("送信に失敗。") + e.what());
  }
  Dialogs().ShowProgress(SJ("完了(^v^)Y"), 100, nullptr);
  EngineHost(engine).ProcessEvents();
  Pause(100);
  Dialogs().HideProgress();
}

// The receiving folder: a separator at the end, the base folder in front
// of a relative name, created with its parents.
std::string ReceivingFolder(TNuraEngine& engine, std::string folder) {
  if (!EndsWithSeparator(folder)) folder += '\\';
  if (!IsAbsoluteScriptPath(folder)) folder = Variable(engine, "母艦のパス") + folder;
  std::error_code ec;
  std::filesystem::create_directories(ScriptPathToNative(folder), ec);
  if (!std::filesystem::is_directory(ScriptPathToNative(folder), ec)) {
    RaiseScriptError(engine, ReceiveErrorText(SJ("メール受信用フォルダが作成できません。")));
  }
  return folder;
}

void ReceiveOneMail(TPop3Client& pop, int number, const std::string& folder, bool deleteOnServer) {
  std::string raw;
  try {
    raw = pop.Retrieve(number);
  } catch (const ENetError&) {
    throw ENetError(ReceiveErrorText(std::to_string(number) + SJ("番のメール受信に失敗しました。")));
  }
  StoreReceivedMail(folder, raw);
  if (deleteOnServer) pop.Delete(number);
}

// A failure closes the window and drops the connection without QUIT, so
// the server deletes nothing.
[[noreturn]] void AbandonReceive(TNuraEngine& engine, TPop3Client& pop, const std::string& message) {
  pop.Drop();
  Dialogs().HideProgress();
  RaiseScriptError(engine, message);
}

void ReceiveMail(TNuraEngine& engine, CommandId) {
  const std::string folder = ReceivingFolder(engine, PopText(engine));
  const std::string host = Variable(engine, "メールホスト");
  const std::string user = Variable(engine, "メールID");
  const std::string password = Variable(engine, "メールパスワード");
  if (host.empty()) RaiseScriptError(engine, ReceiveErrorText(SJ("ホスト名が未設定です。")));
  if (user.empty()) RaiseScriptError(engine, ReceiveErrorText(SJ("ユーザーＩＤが未設定です。")));
  if (password.empty()) RaiseScriptError(engine, ReceiveErrorText(SJ("パスワードが未設定です。")));
  const bool deleteOnServer = TextToNumber(Variable(engine, "メールサーバーから削除")) != 0;

  bool stopped = false;
  TNetWaiting waiting;
  waiting.idle = [&engine] { EngineHost(engine).ProcessEvents(); };
  waiting.stopped = [&stopped] { return stopped; };
  const std::function<void()> onStop = [&stopped] { stopped = true; };
  TPop3Client pop(waiting);

  Dialogs().ShowProgress(SJ("メールの受信：ホストに接続中"), 0, onStop);
  try {
    pop.Connect(host);
    pop.Login(user, password);
  } catch (const ENetError& e) {
    AbandonReceive(engine, pop, ReceiveErrorText(e.what()));
  }
  try {
    const int count = pop.Stat();
    Dialogs().ShowProgress(SJ("メールの受信：") + std::to_string(count) + SJ(" 通のメール"), 0, onStop);
    EngineHost(engine).ProcessEvents();
    Pause(10);
    const std::string total = std::to_string(count);
    for (int i = 1; i <= count; ++i) {
      const std::string stage = std::to_string(i) + "/" + total + SJ("番目のメールを受信中");
      Dialogs().ShowProgress(stage, 0, onStop);
      ReceiveOneMail(pop, i, folder, deleteOnServer);
      Dialogs().ShowProgress(stage, 100, onStop);
      EngineHost(engine).ProcessEvents();
      Pause(10);
    }
    pop.Quit();
  } catch (const ENetError& e) {
    AbandonReceive(engine, pop, ReceiveErrorText(SJ("メールの受信に失敗しました。")) + e.what());
  }
  Dialogs().HideProgress();
}

}  // namespace

constexpr CommandEntry kMailCommands[] = {
    {CommandId::SendMail, SendMail},
    {CommandId::ReceiveMail, ReceiveMail},
};

void RegisterMailCommands() { RegisterCommandTable(kMailCommands); }

}  // namespace nura
