// The window system of a Qt GUI application: what platform/window_system.h
// asks, answered from Qt's clipboard, screens, palette and font database.
#pragma once

namespace nura {

// Installs it; after the QGuiApplication exists, which it then needs.
void InstallQtWindowSystem();

}  // namespace nura
