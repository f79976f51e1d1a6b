// Commands on words of the word table: the type declarations, dictionary
// keys, word copy, showing and logging values, and object creation by name.
#pragma once

#include <string>

namespace nura {

void RegisterWordCommands();

// The statement that "作る" runs for `name`: the kind follows from the end
// of the name (a button when none fits; a menu has its own command).
std::string CreationStatement(const std::string& name);

}  // namespace nura
