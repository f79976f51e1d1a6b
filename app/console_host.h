// Console mode's host of the engine: it runs a script without Qt's GUI
// libraries, answers what the engine asks of the window the way a hidden
// window would, and the first time the script needs the window system
// (a window command, an object, the clipboard, the screen, a module, an
// event loop) hands the running engine over to the window module.
#pragma once

#include <string>

#include "engine/command_api.h"
#include "engine/engine_host.h"

namespace nura {

class TConsoleHost : public TEngineHost, public TObjectHost {
 public:
  // `argc` and `argv` go to the GUI application if one is made.
  TConsoleHost(int& argc, char** argv);
  ~TConsoleHost() override;
  TConsoleHost(const TConsoleHost&) = delete;
  TConsoleHost& operator=(const TConsoleHost&) = delete;

  // Loads and runs the start program, and then, if the window module took
  // it over or something can still re-enter the script (a DDE server), the
  // event loop; the exit status.
  int Run();
  // Hands the engine over to the window module (once); fails with the
  // script's error when the module cannot be loaded.
  void HandOver();
  bool HandedOver() const { return handedOver_; }
  // The host of this process, nil before one exists.
  static TConsoleHost* Current();

  // TEngineHost: nothing is shown; what would need the window hands over.
  bool GetMainWindowPlacement(TWindowPlacement& placement) override;
  void PlaceMainWindow(const TWindowRect& rect, std::optional<int> state) override;
  void ShowMainWindow() override { shown_ = true; }
  bool CloseMainWindow() override;
  // Without an event loop only a request to one of the program's links
  // (the editor's, a DDE server's) can come: it hands over to be served.
  void ProcessEvents() override;
  void WaitForEvents(int milliseconds) override;
  bool ShowDebugger(TNuraEngine& engine) override;
  void AfterIdle() override { FinishIfIdle(); }
  void FinishIfIdle() override;
  void SetMainWindowBorderStyle(int style) override;
  void ShowTrayIcon(bool show) override;

  // TObjectHost: the only object before the hand-over is the main window.
  bool GetObjectProperty(TNuraEngine& engine, const std::string& object, const std::string& property,
                         std::string& value) override;
  void SetObjectProperty(TNuraEngine& engine, THashNode& node, const std::string& property,
                         const std::string& text) override;
  void AssignObjectValue(TNuraEngine& engine, THashNode& node, const std::string& value) override;
  bool ReadObjectValue(TNuraEngine& engine, THashNode& node, std::string& value) override;

 private:
  // The engine's hosts after the hand-over (the main window's).
  TEngineHost& Window();
  TObjectHost& Objects();

  int& argc_;
  char** argv_;
  EnginePtr engine_;         // until the hand-over
  TNuraEngine* running_;     // the engine, before and after
  std::string source_;       // the program text as read
  bool shown_ = false;
  bool closed_ = false;
  bool handedOver_ = false;
};

// The stand-in handler of the commands whose families live in the window
// module: hands over, then runs the command's own handler.
void RunInWindow(TNuraEngine& engine, CommandId id);

// Registers (in place of any handler before) the command families that run
// without the window system, and RunInWindow for every other command.
void RegisterConsoleCommands();

}  // namespace nura
