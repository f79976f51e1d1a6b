// The image commands and "イメージ保存".
#pragma once

namespace nura {

// Registers the handlers and installs the picture codecs of the main window.
void RegisterImageCommands();

}  // namespace nura
