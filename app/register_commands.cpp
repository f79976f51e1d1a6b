#include "app/register_commands.h"

#include "archive/archive_commands.h"
#include "commands/array_commands.h"
#include "commands/csv_commands.h"
#include "commands/date_commands.h"
#include "commands/file_commands.h"
#include "commands/file_handle_commands.h"
#include "commands/math_commands.h"
#include "commands/office_commands.h"
#include "commands/registry_commands.h"
#include "commands/shell_commands.h"
#include "commands/stream_commands.h"
#include "commands/string_commands.h"
#include "commands/table_operand.h"
#include "commands/utility_commands.h"
#include "editor/editor_commands.h"
#include "engine/control_commands.h"
#include "engine/declared_commands.h"
#include "engine/dispatch.h"
#include "engine/error_mode_commands.h"
#include "engine/word_commands.h"
#include "gui/dialog_commands.h"
#include "gui/display_commands.h"
#include "gui/main_window.h"
#include "gui/media/media_commands.h"
#include "gui/objects/object_site.h"
#include "gui/print_capture_commands.h"
#include "gui/window_commands.h"
#include "net/net_commands.h"
#include "images/icon_commands.h"
#include "images/image_commands.h"

namespace nura {

void RegisterAllCommands() {
  RegisterControlCommands();
  RegisterDeclaredCommands();
  RegisterExpressionCommands();
  RegisterUtilityCommands();
  RegisterStringCommands();
  RegisterCsvCommands();
  RegisterTableAccess();
  RegisterMathCommands();
  RegisterDateCommands();
  RegisterFileCommands();
  RegisterStreamCommands();
  RegisterRegistryCommands();
  RegisterFileHandleCommands();
  RegisterWindowCommands();
  RegisterObjectCommands();
  RegisterEditorCommands();
  RegisterDialogCommands();
  RegisterErrorModeCommands();
  RegisterArrayCommands();
  RegisterWordCommands();
  RegisterPrintCaptureCommands();
  RegisterDisplayCommands();
  RegisterNetCommands();
  RegisterArchiveCommands();
  RegisterImageCommands();
  RegisterIconCommands();
  RegisterOfficeCommands();
  RegisterShellCommands();
  RegisterWindowStateCommands();
  RegisterMediaCommands();
}

}  // namespace nura
