// The registry commands (one open key of the per-user registry store) and
// the INI file commands (one open INI file).
#pragma once

namespace nura {

void RegisterRegistryCommands();

}  // namespace nura
