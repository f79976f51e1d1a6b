// The error-mode commands (how the run loop treats errors), the shutdown
// label and the line step.
#pragma once

namespace nura {

void RegisterErrorModeCommands();

}  // namespace nura
