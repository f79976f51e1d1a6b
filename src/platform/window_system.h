// The window system as the parts of the program that run without it see
// it: the clipboard, the screen, the system colours, the fonts and the
// event loop. A console script starts without Qt; the first time it needs
// one of these, the loader that the program set brings the window system up
// (and with it the window), which then installs itself here.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/system_info.h"

namespace nura {

// A socket that the event loop watches: `ready` runs when it can be read.
// Destroying the watch ends it, also from within its own `ready`.
class TSocketWatch {
 public:
  virtual ~TSocketWatch() = default;
  virtual void SetEnabled(bool enabled) = 0;
};

class TWindowSystem {
 public:
  virtual ~TWindowSystem() = default;
  virtual std::string ClipboardText() = 0;
  virtual void SetClipboardText(const std::string& sjis) = 0;
  virtual ScreenSize PrimaryScreenSize() = 0;
  virtual uint32_t SystemColour(int index) = 0;
  virtual std::vector<std::string> InstalledFontFamilies() = 0;
  // The event loop: runs the events that wait.
  virtual void ProcessEvents() = 0;
  // Runs the events until `done` answers true (asked every 10 ms) or
  // `timeoutMs` have passed; what `done` answered last.
  virtual bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs) = 0;
  // Ends the program's event loop.
  virtual void QuitEventLoop() = 0;
  virtual std::unique_ptr<TSocketWatch> WatchSocket(int fd, std::function<void()> ready) = 0;
};

// Installed by whoever made the GUI application; it must outlive its use.
void InstallWindowSystem(TWindowSystem* system);

// What brings the window system up when it is first needed; the program
// sets it in console mode. It runs at most once.
using WindowSystemLoader = void (*)();
void SetWindowSystemLoader(WindowSystemLoader loader);

// Runs the loader unless the window system is up or none is set: before
// work that needs Qt's application object or event loop.
void RequireWindowSystem();

// The installed window system, brought up first when needed; nil when
// there is none (unit tests and tools without a GUI application).
TWindowSystem* WindowSystem();
// The installed one, nil while it is not up (nothing is brought up).
TWindowSystem* InstalledWindowSystem();

}  // namespace nura
