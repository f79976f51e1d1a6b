// The main window "母艦": the interpreter's host and the script's default
// drawing surface. It owns the engine, starts the first run, runs the
// script timer, frees destroyed objects later, and handles the close
// request with the script's shutdown label.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "engine/command_api.h"
#include "gui/objects/object_site.h"
#include "gui/picture_box.h"
#include "gui/picture_codecs.h"
#include "gui/picture_host.h"
#include "platform/widgets/widget_placement.h"

class QIcon;

namespace nura {
class TfrmDebug;
}
class QSystemTrayIcon;

namespace nura {

class TfrmNura : public QMainWindow, public TEngineHost, public TPictureHost {
  Q_OBJECT
 public:
  // `consoleMode`: dialogs talk over the terminal and the program ends when
  // a run ends with nothing left that could re-enter it.
  explicit TfrmNura(bool consoleMode);
  // Takes over `running`, whose first run a console host started and which
  // now needs the window (console mode only).
  TfrmNura(bool consoleMode, EnginePtr running);
  ~TfrmNura() override;

  TNuraEngine& Engine() override { return *engine_; }
  // The client area: the parent of the picture `img` and of script objects.
  QWidget* Client() const { return centralWidget(); }
  TPictureBox* img = nullptr;
  QTimer eventDo;
  QTimer NuraTimer;
  QTimer ObjDelTimer;

  // The start handler: prepares and runs the first run.
  void eventDoTimer();
  // True once the window has closed (the program ends).
  bool IsClosed() const { return closed_; }

  // "タイマー設定": arms the script timer; an empty target disables it.
  void SetScriptTimer(int milliseconds, const TextPos& target);
  void StopScriptTimer();
  // A destroyed script object waits here until the freeing timer runs.
  void QueueForDestruction(std::unique_ptr<TObjNode> node);
  int DestructionQueueSize() const { return static_cast<int>(deleteQueue_.size()); }

  // ---- pictures (main_window_pictures.cpp) ----
  // The codecs installed at start-up; nil when none were.
  TPictureCodecs* PictureCodecs() { return codecs_.get(); }
  // A new picture from a file, "クリップボード" or an image object's name.
  TBitmap LoadPicture(const std::string& name);
  // TPictureHost
  QWidget& WindowWidget() override { return *this; }
  TPictureBox* Surface() override { return img; }
  void SavePicture(const std::string& objectName, const std::string& fileName, bool confirm) override;
  TPictureBox* GetFormImage(QWidget* form) override;
  void FitFormImage(QWidget* form) override;
  TPictureBox* PictureBoxOf(const TObjNode& object) override;
  TPictureBox* ImageOfObject(const std::string& name) override;

  // TEngineHost
  bool GetMainWindowPlacement(TWindowPlacement& placement) override {
    placement = PlacementOf(*this);
    return true;
  }
  void PlaceMainWindow(const TWindowRect& rect, std::optional<int> state) override {
    PlaceWindow(*this, rect, state);
  }
  void ShowMainWindow() override;
  bool CloseMainWindow() override;
  void ProcessEvents() override;
  void WaitForEvents(int milliseconds) override;
  void AfterIdle() override;
  void FinishIfIdle() override;
  void SetMainWindowBorderStyle(int style) override;
  void ShowTrayIcon(bool show) override;
  // The debugger window (on the terminal in console mode); true when the
  // user ends the program.
  bool ShowDebugger(TNuraEngine& engine) override;
  // The notification-area entry takes `icon` (and the caption as its tip)
  // when it is shown.
  void SetTrayIcon(const QIcon& icon);
  // Script objects: creation, properties and events.
  TObjectSite& Objects() { return objects_; }
  // An event's code has run: in console mode the program may end now.
  void AfterEventRun() { FinishIfIdle(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  TfrmNura(bool consoleMode, EnginePtr engine, bool fresh);
  void FormCreate(bool fresh);
  void LoadCodecPlugins();
  bool FormCloseQuery();
  void FormDestroy();
  void NuraTimerTimer();
  void ObjDelTimerTimer();
  void FreeDestroyedObjects();
  void HideToTray();
  void RestoreFromTray();
  void TrayActivated(int reason);

  EnginePtr engine_;
  std::unique_ptr<TPictureCodecs> codecs_;
  TObjectSite objects_{*this, *engine_};
  bool console_;
  bool firstRun_ = true;
  // Set in console mode while a run is prepared: showing the window there
  // skips the turn of the event queue that would only paint it for nobody.
  bool quietStart_ = false;
  bool closed_ = false;
  bool destroyed_ = false;
  std::string source_;   // the program text as read, before preprocessing
  TextPos timerTarget_;
  bool timerCounted_ = false;
  std::vector<std::unique_ptr<TObjNode>> deleteQueue_;
  QSystemTrayIcon* tray_ = nullptr;
  std::unique_ptr<TfrmDebug> debugWindow_;
};

// The main window that hosts `engine`; nil when a test or console host runs it.
TfrmNura* WindowOf(TNuraEngine& engine);

// The client size of a form: a main window without its menu bar.
QSize ClientSizeOf(const QWidget* form);

// Registers the window's own commands ("タイマー設定", "タイマー解除", "母艦浮上").
void RegisterWindowCommands();

}  // namespace nura
