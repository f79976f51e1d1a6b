// The engine-side utility commands: the switch value, text comparison,
// wildcard match into a variable, byte dump, system time, Base64, the main
// window's style and tray icon, era dates, variable listing, HTML tables,
// copying the result into a variable, continuing a loop, function argument
// patterns and the second stack. They sit here, above the engine, because
// several of them use the table, wildcard and Base64 units.
#pragma once

namespace nura {

void RegisterUtilityCommands();

}  // namespace nura
