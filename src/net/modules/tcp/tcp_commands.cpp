// The module "tcp" (Qt Network): the TCP commands, one client and one
// server for the script, plain text. Its entry point registers them in
// place of the program's stand-ins (net/tcp_commands.cpp).
#include <netdb.h>

#include <cstdint>
#include <string>

#include "support/file_command_support.h"
#include "engine/command_api.h"
#include "engine/sjis_text.h"
#include "net/script_events.h"
#include "net/modules/tcp/tcp_sockets.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr int kConnectTimeoutMs = 20000;

TTcpSockets& Sockets(TNuraEngine& engine) {
  TTcpSockets& sockets = FamilyState<TTcpSockets>(engine);
  sockets.SetEngine(&engine);
  return sockets;
}

// The port of "TCPサービス名" when it names a service, else "TCPポート".
// False with the reason when neither gives a port.
bool PortToUse(TNuraEngine& engine, uint16_t& port, std::string& failure) {
  const std::string service = TrimText(WordValue(engine, SJ("TCPサービス名")));
  if (!service.empty()) {
    const servent* entry = getservbyname(service.c_str(), "tcp");
    if (!entry) {
      failure = SJ("サービス名") + Quoted(service) + SJ("が見つかりません。");
      return false;
    }
    port = ntohs(static_cast<uint16_t>(entry->s_port));
    return true;
  }
  const int32_t number = TextToInt32(WordValue(engine, SJ("TCPポート")));
  if (number < 0 || number > 65535) {
    failure = SJ("ポート番号") + Quoted(std::to_string(number)) + SJ("が正しくありません。");
    return false;
  }
  port = static_cast<uint16_t>(number);
  return true;
}

// "TCP接続" ("?へ"): connects and waits up to 20 s, running the event queue.
void TcpConnect(TNuraEngine& engine, CommandId id) {
  const std::string host = TrimText(PopText(engine));
  TTcpSockets& sockets = Sockets(engine);
  if (host.empty()) RaiseArgumentError(engine, id, SJ("接続先が設定されていません"));
  auto fail = [&](const std::string& reason) {
    RaiseScriptError(engine, SJ("TCP/IPのエラー。サーバー") + Quoted(host) +
                                 SJ("へ接続できませんでした。") + reason);
  };
  uint16_t port = 0;
  std::string failure;
  if (!PortToUse(engine, port, failure)) fail(failure);
  sockets.StartConnect(host, port);
  const std::string preparing = SJ("接続準備中");
  RunEventsUntil([&] { return sockets.State() != preparing; }, kConnectTimeoutMs);
  const std::string state = sockets.State();
  if (state == SJ("接続中")) return;
  sockets.AbandonConnect();
  fail(state == preparing ? SJ("タイムアップ") : state);
}

void TcpDisconnect(TNuraEngine& engine, CommandId) { Sockets(engine).Disconnect(); }

void TcpState(TNuraEngine& engine, CommandId) { SetTextResult(engine, Sockets(engine).State()); }

void TcpSend(TNuraEngine& engine, CommandId) {
  const std::string text = PopText(engine);
  std::string failure;
  if (!Sockets(engine).Send(text, failure)) RaiseScriptError(engine, SJ("サーバーへの送信に失敗。") + failure);
}

// The label word of a binding command: empty clears the binding, else it
// must name a label.
void BindLabel(TNuraEngine& engine, TEventLabel& binding) {
  const std::string name = PopRawWord(engine);
  binding.Clear();
  if (name.empty()) return;
  binding = EventLabelOf(engine, name);
  if (!binding) {
    RaiseScriptError(engine, SJ("未定義のラベル\"") + name + SJ("\"に、ジャンプしようとしました。"));
  }
}

void SetReceiveHandler(TNuraEngine& engine, CommandId) { BindLabel(engine, Sockets(engine).clientReceive); }

void SetServerReceiveHandler(TNuraEngine& engine, CommandId) {
  BindLabel(engine, Sockets(engine).serverReceive);
}

void SetServerConnectHandler(TNuraEngine& engine, CommandId) {
  BindLabel(engine, Sockets(engine).serverConnect);
}

void ServerStart(TNuraEngine& engine, CommandId) {
  TTcpSockets& sockets = Sockets(engine);
  uint16_t port = 0;
  std::string failure;
  if (!PortToUse(engine, port, failure) || !sockets.StartServer(port, failure)) {
    RaiseScriptError(engine, SJ("TCP/IPサーバーの起動に失敗。") + failure);
  }
}

void ServerStop(TNuraEngine& engine, CommandId) { Sockets(engine).StopServer(); }

void ServerListClients(TNuraEngine& engine, CommandId) {
  SetTextResult(engine, Sockets(engine).ClientList());
}

void RequireActiveServer(TNuraEngine& engine, TTcpSockets& sockets) {
  if (!sockets.ServerActive()) RaiseScriptError(engine, SJ("TCP/IPのエラー。サーバーがアクティブではありません。"));
}

// "TCPサーバーから送信" ("?へ,?を"): a client unknown by that name is skipped.
void ServerSend(TNuraEngine& engine, CommandId) {
  const std::string text = PopText(engine);
  const std::string target = TrimText(PopText(engine));
  TTcpSockets& sockets = Sockets(engine);
  if (target.empty()) RaiseScriptError(engine, SJ("TCP/IPのエラー。相手先が設定されていません"));
  RequireActiveServer(engine, sockets);
  sockets.SendToClient(sockets.FindClient(target), text);
}

void ServerDisconnect(TNuraEngine& engine, CommandId id) {
  const std::string target = TrimText(PopText(engine));
  TTcpSockets& sockets = Sockets(engine);
  if (target.empty()) RaiseArgumentError(engine, id, SJ("相手先が設定されていません"));
  RequireActiveServer(engine, sockets);
  sockets.DisconnectClient(sockets.FindClient(target));
}

constexpr CommandEntry kTcpCommands[] = {
    {CommandId::TcpConnect, TcpConnect},
    {CommandId::TcpDisconnect, TcpDisconnect},
    {CommandId::TcpConnected, TcpState},
    {CommandId::TcpSend, TcpSend},
    {CommandId::TcpSetReceiveHandler, SetReceiveHandler},
    {CommandId::TcpServerStart, ServerStart},
    {CommandId::TcpServerStop, ServerStop},
    {CommandId::TcpServerListClients, ServerListClients},
    {CommandId::TcpServerSend, ServerSend},
    {CommandId::TcpServerDisconnect, ServerDisconnect},
    {CommandId::TcpServerSetReceiveHandler, SetServerReceiveHandler},
    {CommandId::TcpServerSetConnectHandler, SetServerConnectHandler},
};

void RegisterTcpCommands() { RegisterCommandTable(kTcpCommands); }

}  // namespace
}  // namespace nura

extern "C" void NuraTcpModule() { nura::RegisterTcpCommands(); }
