// The DDE commands over local-socket links: "DDE送信" executes a macro on
// another program's topic, "DDEサーバー作成" serves a topic of this program
// whose macros enter a label of the script.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "support/file_command_support.h"
#include "engine/command_api.h"
#include "engine/event_sources.h"
#include "engine/sjis_text.h"
#include "net/local_link.h"
#include "net/net_commands.h"
#include "net/script_events.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr int kMaxServers = 10;
constexpr int kAnswerTimeoutMs = 10000;

// The server topics of the script; each counts as an event source for as
// long as the program runs.
struct TDdeServers {
  std::vector<std::unique_ptr<TLocalLinkServer>> servers;
  std::array<TEventLabel, kMaxServers> labels;

  TDdeServers() = default;
  TDdeServers(const TDdeServers&) = delete;
  TDdeServers& operator=(const TDdeServers&) = delete;
  ~TDdeServers() {
    for (size_t i = 0; i < servers.size(); ++i) RemoveEventSource();
  }
};

std::string ErrorHead(const std::string& service, const std::string& topic) {
  return SJ("サーバー") + Quoted(service) + SJ("トピック") + Quoted(topic) + SJ("でエラー。");
}

// "DDE送信" ("?の,?に,?を"): service, topic, macro.
void DdeSend(TNuraEngine& engine, CommandId) {
  const std::string macro = PopText(engine);
  const std::string topic = PopText(engine);
  const std::string service = PopText(engine);
  const std::string program = WordValue(engine, SJ("DDEファイル名"));
  switch (ExecuteLinkMacro(service, topic, macro, kAnswerTimeoutMs, program)) {
    case TLinkResult::Accepted:
      return;
    case TLinkResult::NoLink:
      RaiseScriptError(engine, ErrorHead(service, topic) + SJ("リンク出来ませんでした。") + LocalLinkFolderProblem());
    case TLinkResult::Refused:
      RaiseScriptError(engine, ErrorHead(service, topic) + SJ("コマンドの送信に失敗"));
  }
}

// A macro for server `index`: "DDE文字列" = its lines, each ended by CR LF;
// then its label.
void ServerMacro(TNuraEngine& engine, int index, const std::string& macro) {
  TDdeServers& state = FamilyState<TDdeServers>(engine);
  if (index < 0 || index >= kMaxServers) return;
  if (NodePtr node = FindWord(engine, SJ("DDE文字列"))) node->SetValue(JoinLines(SplitLines(macro)));
  EnterEventLabel(engine, state.labels[static_cast<size_t>(index)]);
}

// "DDEサーバー作成" ("?を呼ぶ,?という"): label, topic.
void DdeCreateServer(TNuraEngine& engine, CommandId) {
  const std::string topic = PopText(engine);
  const std::string labelName = PopRawWord(engine);
  const std::string head = ErrorHead(SJ("自身"), topic);
  const TEventLabel label = EventLabelOf(engine, labelName);
  if (!label) RaiseScriptError(engine, head + SJ("ジャンプ先ラベルが見つかりません。"));
  TDdeServers& state = FamilyState<TDdeServers>(engine);
  const int index = static_cast<int>(state.servers.size());
  if (index >= kMaxServers) RaiseScriptError(engine, head + SJ("これ以上サーバーを立ち上げられません。"));
  auto server = std::make_unique<TLocalLinkServer>();
  TNuraEngine* target = &engine;
  const bool listening = server->Listen(OwnServiceName(), topic, [target, index](const std::string& macro) {
    ServerMacro(*target, index, macro);
  });
  if (!listening) RaiseScriptError(engine, head + SJ("サーバー作成に失敗") + LocalLinkFolderProblem());
  state.labels[static_cast<size_t>(index)] = label;
  state.servers.push_back(std::move(server));
  AddEventSource();
}

}  // namespace

constexpr CommandEntry kDdeCommands[] = {
    {CommandId::DdeSend, DdeSend},
    {CommandId::DdeCreateServer, DdeCreateServer},
};

void RegisterDdeCommands() { RegisterCommandTable(kDdeCommands); }

}  // namespace nura
