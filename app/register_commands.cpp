#include "app/register_commands.h"

#include "gui/main_window.h"

namespace nura {

void RegisterAllCommands() {
  RegisterWindowCommands();
}

}  // namespace nura
