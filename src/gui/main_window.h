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

class QIcon;

namespace nura {
class TfrmDebug;
}
class QSystemTrayIcon;

namespace nura {

class TfrmNura : public QMainWindow, public TEngineHost {
  Q_OBJECT
 public:
  // `consoleMode`: dialogs talk over the terminal and the program ends when
  // a run ends with nothing left that could re-enter it.
  explicit TfrmNura(bool consoleMode);
  ~TfrmNura() override;

  TNuraEngine& Engine() { return *engine_; }
  // The client area: the parent of the picture `img` and of script objects.
  QWidget* Client() const { return centralWidget(); }
  TPictureBox* img = nullptr;
  QTimer eventDo;
  QTimer NuraTimer;
  QTimer ObjDelTimer;

  // Locates the script (FormCreate's last step).
  void LocateScript();
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
  // Writes the picture of an image or form object to a file or the
  // clipboard; `confirm` asks the security confirmation first.
  void SavePicture(const std::string& objectName, const std::string& fileName, bool confirm);
  // The inner picture "img" of a form; ENura when it has none.
  TPictureBox* GetFormImage(QWidget* form);
  // Makes the inner picture as large as the form's client area, keeping
  // the picture at 0,0 and filling new area with the form's colour.
  void FitFormImage(QWidget* form);
  // The picture that an image object (kind 2) or a form object (kind 7)
  // shows; nil for other kinds or when it cannot be reached.
  TPictureBox* PictureBoxOf(const TObjNode& object);
  // The picture of the image or form object named `name` (exact name):
  // "オブジェクト"%s"は、作成されていません。" when no object has it,
  // ""%s"は、イメージではありません。" for another kind.
  TPictureBox* ImageOfObject(const std::string& name);

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
  void FormCreate();
  bool FormCloseQuery();
  void FormDestroy();
  void NuraTimerTimer();
  void ObjDelTimerTimer();
  void FreeDestroyedObjects();
  void HideToTray();
  void RestoreFromTray();
  void TrayActivated(int reason);
  bool LoadScriptFile(const std::string& name);
  bool LoadRuntimeProgram(const std::string& file);

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

// The widget of a script object; nil when it has none or it is gone.
QWidget* WidgetOfObject(const TObjNode& object);

// The client size of a form: a main window without its menu bar.
QSize ClientSizeOf(const QWidget* form);

// Registers the window's own commands ("タイマー設定", "タイマー解除", "母艦浮上").
void RegisterWindowCommands();

}  // namespace nura
