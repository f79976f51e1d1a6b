// The TCP commands run in the module "tcp" (Qt Network, built from
// src/net/modules/tcp), loaded when a script first uses one of them.
#include "support/module_commands.h"
#include "net/net_commands.h"

namespace nura {
namespace {

constexpr TModuleCommands kTcpModule{"tcp", "NuraTcpModule", "TCP/IPのエラー。"};

void RunInModule(TNuraEngine& engine, CommandId id) { RunModuleCommand(engine, id, RunInModule, kTcpModule); }

}  // namespace

// Stand-ins for the handlers of the module's table.
constexpr CommandEntry kTcpStandIns[] = {
    {CommandId::TcpConnect, RunInModule},
    {CommandId::TcpDisconnect, RunInModule},
    {CommandId::TcpConnected, RunInModule},
    {CommandId::TcpSend, RunInModule},
    {CommandId::TcpSetReceiveHandler, RunInModule},
    {CommandId::TcpServerStart, RunInModule},
    {CommandId::TcpServerStop, RunInModule},
    {CommandId::TcpServerListClients, RunInModule},
    {CommandId::TcpServerSend, RunInModule},
    {CommandId::TcpServerDisconnect, RunInModule},
    {CommandId::TcpServerSetReceiveHandler, RunInModule},
    {CommandId::TcpServerSetConnectHandler, RunInModule},
};

void RegisterTcpCommands() { RegisterCommandTable(kTcpStandIns); }

}  // namespace nura
