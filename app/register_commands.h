// Registers the command handlers of every family of app/command_families.inc.
#pragma once

namespace nura {
void RegisterAllCommands();
}
