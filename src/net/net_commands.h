// The command handlers of the network family: mail, FTP, HTTP, TCP, DDE,
// LAN information and file-mix containers.
#pragma once

namespace nura {

void RegisterMailCommands();
void RegisterFtpCommands();
void RegisterHttpCommands();
void RegisterTcpCommands();
void RegisterDdeCommands();
void RegisterLanCommands();
void RegisterContainerCommands();

// All of the above.
void RegisterNetCommands();

}  // namespace nura
