#include "app/register_commands.h"

#include "gui/dialog_commands.h"
#include "gui/main_window.h"

namespace nura {

void RegisterAllCommands() {
  RegisterWindowCommands();
  RegisterDialogCommands();
}

}  // namespace nura
