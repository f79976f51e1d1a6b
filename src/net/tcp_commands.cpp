// The TCP commands run in the module "tcp" (Qt Network, built from
// src/net/modules/tcp), loaded when a script first uses one of them.
#include "support/module_commands.h"
#include "net/net_commands.h"

namespace nura {
namespace {

constexpr TModuleCommands kTcpModule{"tcp", "NuraTcpModule", "TCP/IPのエラー。"};

void RunInModule(TNuraEngine& engine, CommandId id) { RunModuleCommand(engine, id, RunInModule, kTcpModule); }

}  // namespace

void RegisterTcpCommands() {
  RegisterStandIns({CommandId::TcpConnect, CommandId::TcpDisconnect, CommandId::TcpConnected, CommandId::TcpSend,
                    CommandId::TcpSetReceiveHandler, CommandId::TcpServerStart, CommandId::TcpServerStop,
                    CommandId::TcpServerListClients, CommandId::TcpServerSend, CommandId::TcpServerDisconnect,
                    CommandId::TcpServerSetReceiveHandler, CommandId::TcpServerSetConnectHandler},
                   RunInModule);
}

}  // namespace nura
