// The command handlers of the network family: mail, FTP and HTTP.
#pragma once

namespace nura {

void RegisterMailCommands();
void RegisterFtpCommands();
void RegisterHttpCommands();

// Both of the above.
void RegisterNetCommands();

}  // namespace nura
