// The file-handle commands: a file kept open across statements behind a
// script variable, read and written by lines or raw bytes.
#pragma once

namespace nura {

void RegisterFileHandleCommands();

}  // namespace nura
