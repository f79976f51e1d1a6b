// Registration of the text-editor object kind and its commands.
#pragma once

namespace nura {

void RegisterEditorCommands();

}  // namespace nura
