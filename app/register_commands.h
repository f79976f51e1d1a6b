// Registers the command handlers of every subsystem by command id.
#pragma once

namespace nura {
void RegisterAllCommands();
}
