// The main window's picture codecs: BMP, icons, JPEG, PNG, the clipboard,
// image objects and image-import plug-ins.
#pragma once

namespace nura {

// Installs the codecs as the main window's picture services; main windows
// created afterwards load and save pictures through them.
void InstallPictureCodecs();

}  // namespace nura
