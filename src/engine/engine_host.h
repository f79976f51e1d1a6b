// What the engine asks of the window, in three narrow interfaces: the
// window itself (show, close, events, tray), the drawing settings of its
// surface, and the script objects. The defaults do nothing, so the engine
// runs in tests and in console mode without a window.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "engine/property_words.h"
#include "engine/script_object.h"
#include "platform/window_placement.h"

namespace nura {

class TNuraEngine;
class THashNode;
struct TObjNode;

// The main window's chrome.
class TEngineHost {
 public:
  virtual ~TEngineHost() = default;
  // The main window's position, size and state, for the commands that save
  // and restore them; false without a window.
  virtual bool GetMainWindowPlacement(TWindowPlacement& placement) {
    (void)placement;
    return false;
  }
  // Moves and sizes the main window; `state` (0 normal, 1 minimised, 2
  // maximised), when given, replaces its state.
  virtual void PlaceMainWindow(const TWindowRect& rect, std::optional<int> state) {
    (void)rect; (void)state;
  }
  // Shows the main window (at the start of a run).
  virtual void ShowMainWindow() {}
  // The close request: the window runs its shutdown code and closes. False
  // when the script refuses to close.
  virtual bool CloseMainWindow() { return true; }
  // Runs the event queue once (waits keep the window alive with it).
  virtual void ProcessEvents() {}
  // Runs the event queue for `milliseconds`, sleeping only while no event
  // comes, so timers, sockets and pages go on during a timed wait; ends
  // early when the run is told to stop. Without a window it sleeps.
  virtual void WaitForEvents(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  // Shows the debugger window modally; true when the user ends the program.
  virtual bool ShowDebugger(TNuraEngine&) { return false; }
  // "待機": starts freeing destroyed objects when two or more wait.
  virtual void AfterIdle() {}
  // After event code ran while no run was active: in console mode the
  // program ends when nothing can re-enter the script any more.
  virtual void FinishIfIdle() {}
  // "母艦スタイル設定": the main window's border style (0 none, 1 single,
  // 2 sizeable, 3 dialog, 4 tool window, 5 sizeable tool window).
  virtual void SetMainWindowBorderStyle(int style) { (void)style; }
  // "タスクトレイへアイコン表示": true hides the main window and shows the
  // notification-area icon (minimises it where the desktop has none);
  // false removes the icon and shows the window.
  virtual void ShowTrayIcon(bool show) { (void)show; }

  // The debugger's "エディタと同期": tells the companion editor the
  // executing line. The program wires it to the editor link; unwired it
  // does nothing.
  using EditorSync = std::function<void(TNuraEngine&)>;
  void SetEditorSync(EditorSync sync) { editorSync_ = std::move(sync); }
  void SyncEditor(TNuraEngine& engine) {
    if (editorSync_) editorSync_(engine);
  }

 private:
  EditorSync editorSync_;
};

// Pen, brush and font of the main window's drawing surface.
class TDrawingHost {
 public:
  virtual ~TDrawingHost() = default;
  // Pen and brush solid, pen mode copy, copy mode source copy, 24 bits per
  // pixel; each property is assigned only when it differs from what the
  // surface has.
  virtual void ApplyPenAndBrush(int32_t penColour, int penWidth, int32_t brushColour) {
    (void)penColour; (void)penWidth; (void)brushColour;
  }
  // The font (character set 1); each property only when it differs.
  // `style`: 1 bold, 2 italic, 4 underline.
  virtual void ApplyFontSettings(int32_t colour, int size, const std::string& name, int style) {
    (void)colour; (void)size; (void)name; (void)style;
  }
};

// The object that a property write goes to, as the object host found it:
// the object's word, its entry in the object list and its control.
struct TPropertyTarget {
  THashNode* word = nullptr;
  TObjNode* node = nullptr;
  TScriptObject* object = nullptr;
};

// Script objects: their controls, properties and values.
class TObjectHost {
 public:
  virtual ~TObjectHost() = default;
  // The control of script object 0 "母艦" (it refers to the window and
  // never frees it); nil without a window.
  virtual TObjectHandle CreateMainWindowObject() { return nullptr; }
  // The property reader: property `property` of object `object`; sets the
  // engine's result kind where the property has one. False when `object`
  // names no object word.
  virtual bool GetObjectProperty(TNuraEngine&, const std::string& object,
                                 const std::string& property, std::string& value) {
    (void)object; (void)property; (void)value;
    return false;
  }
  // The property writer: sets property `property` of the object of `node`
  // to `text` as written (property_words.cpp). The host finds the object and
  // checks the property (PrepareObjectWrite); the text is then evaluated
  // unless the property takes it as written (PropertyTakesTextAsWritten),
  // and the host writes the value (WriteObjectProperty).
  virtual void SetObjectProperty(TNuraEngine& engine, THashNode& node, const std::string& property,
                                 const std::string& text);
  // Finds the object that `node` names for a write of `property` (`p`: its
  // number; none for a word that names no property) and fills `target`.
  // Raises the script's error when there is no such object or the property
  // cannot be written; false when there is nothing to write to.
  virtual bool PrepareObjectWrite(TNuraEngine&, THashNode& node, const std::string& property,
                                  std::optional<TProperty> p, TPropertyTarget& target) {
    (void)node; (void)property; (void)p; (void)target;
    return false;
  }
  // Writes `value`, evaluated as property `p` takes it, to the object that
  // PrepareObjectWrite found (`property`: the property as written).
  virtual void WriteObjectProperty(TNuraEngine&, const TPropertyTarget& target,
                                   const std::string& property, TProperty p,
                                   const std::string& value) {
    (void)target; (void)property; (void)p; (void)value;
  }
  // Sets the main property of the object of `node`.
  virtual void AssignObjectValue(TNuraEngine&, THashNode& node, const std::string& value) {
    (void)node; (void)value;
  }
  // The value of the object of `node` read as an operand (its main value by
  // kind). False when there is none: the node's own value is used then.
  virtual bool ReadObjectValue(TNuraEngine&, THashNode& node, std::string& value) {
    (void)node; (void)value;
    return false;
  }
};

}  // namespace nura
