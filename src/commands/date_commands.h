// The date and time commands.
#pragma once

namespace nura {

void RegisterDateCommands();

}  // namespace nura
