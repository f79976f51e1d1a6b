// The file and folder commands: reading and writing whole files, copying,
// moving, renaming and deleting, folders and the working folder, file
// attributes and shortcuts (file_commands.cpp), the listings, tests, names,
// dates and sizes (file_query_commands.cpp), and the file-type
// associations (file_association_commands.cpp).
#pragma once

namespace nura {

void RegisterFileCommands();
// Called by RegisterFileCommands.
void RegisterFileQueryCommands();
void RegisterAssociationCommands();

}  // namespace nura
