// The number, mathematics and statistics commands.
#pragma once

namespace nura {

void RegisterMathCommands();

}  // namespace nura
