#include "app/register_commands.h"

namespace nura {

#define NURA_FAMILY(registerFamily) void registerFamily();
#include "app/command_families.inc"

void RegisterAllCommands() {
#define NURA_FAMILY(registerFamily) registerFamily();
#include "app/command_families.inc"
}

}  // namespace nura
