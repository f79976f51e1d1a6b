// The file and folder commands: reading and writing whole files, copying,
// moving, renaming and deleting, folders and the working folder, file
// attributes, shortcuts and file-type associations
// (file_commands.cpp), and the listings, tests, names, dates and sizes
// (file_query_commands.cpp).
#pragma once

namespace nura {

void RegisterFileCommands();
// Called by RegisterFileCommands.
void RegisterFileQueryCommands();

}  // namespace nura
