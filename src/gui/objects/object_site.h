// The main window's side of script objects: it makes and destroys them,
// answers the engine's property and value requests, and carries their
// events into the script. The methods are spread over files named after
// what they hold: object_site.cpp (properties and values),
// object_commands.cpp (creation, destruction and the object commands),
// object_events.cpp (event bridges, bindings and re-entry).
#pragma once

#include <QPoint>
#include <QStringList>
#include <memory>
#include <string>

#include "engine/engine_host.h"
#include "engine/command_api.h"
#include "gui/objects/object_properties.h"

class QWidget;

namespace nura {

class TfrmNura;
class TGuiObject;

class TObjectSite : public TObjectHost {
 public:
  TObjectSite(TfrmNura& window, TNuraEngine& engine) : window_(window), engine_(engine) {}
  TfrmNura& Window() { return window_; }
  TNuraEngine& Engine() { return engine_; }

  // ---- TObjectHost (object_site.cpp) ----
  TObjectHandle CreateMainWindowObject() override;
  bool GetObjectProperty(TNuraEngine&, const std::string& object, const std::string& property,
                         std::string& value) override;
  bool PrepareObjectWrite(TNuraEngine&, THashNode& node, const std::string& property,
                          std::optional<TProperty> p, TPropertyTarget& target) override;
  void WriteObjectProperty(TNuraEngine&, const TPropertyTarget& target, const std::string& property,
                           TProperty p, const std::string& value) override;
  void AssignObjectValue(TNuraEngine&, THashNode& node, const std::string& value) override;
  bool ReadObjectValue(TNuraEngine&, THashNode& node, std::string& value) override;

  // The node of object `id`, or nil; its GUI object while the control lives.
  TObjNode* NodeOf(int id);
  TGuiObject* ObjectOf(int id);
  // "部品配置間隔" as an integer (8 when it is no number).
  int PlacementGap();
  // "センタリング" is on.
  bool Centring();
  // Centres `frame` horizontally in its parent (by the parent's width).
  void CentreInParent(QWidget& frame);

  // ---- creation and destruction (object_commands.cpp) ----
  // "作成": `position` is "x,y", or empty when the argument was left out.
  void CreateObject(const std::string& position, bool positionGiven, std::string name,
                    const std::string& kindWord);
  // Enters a made object: its id (the list's count), node, word and "その".
  void AddObject(const std::string& name, std::unique_ptr<TGuiObject> object);
  // Releases one object into the deferred-free queue.
  void DestroyObjectEntry(int index);
  // Moves the object named `childName` onto the container `parent` (its
  // child area): refused when that would put a container inside itself.
  void MoveOnto(TGuiObject& parent, const std::string& childName);
  // The names of the objects lying on `area`, each followed by CR LF.
  std::string NamesOn(QWidget& area);

  // ---- events (object_events.cpp) ----
  // The bridges: mouse events write the pointer and button state first.
  void MouseEvent(int id, int slot, QPoint position, unsigned shift);
  void KeyEvent(int id, int slot, int virtualKey, unsigned shift);
  void PlainEvent(int id, int slot);
  void FilesDropped(int id, const QStringList& files);
  // Before a browser navigates: its click event runs with
  // "ブラウザ移動先URL"; false when "ブラウザURL移動許可" then reads as 0.
  bool BrowserBeforeNavigate(int id, const std::string& url);
  // Runs slot 0 of object `id`.
  void RunEventCode(int id);
  // Binds slot `slot` of `node` to a label or to inline code.
  void BindEventSlot(TObjNode& node, int slot, const std::string& value);
  // "イベント": binds slot 0 and the kind's default slot.
  void BindCurrentEvent(TObjNode& node, const std::string& value);
  // Writes "押された特殊キー" from the shift-state flags (1 Shift, 2 Alt,
  // 4 Ctrl, 8 Left, 16 Right, 32 Middle, 64 Double).
  void StoreShiftState(unsigned flags);

 private:
  // object_site.cpp
  TPropertyTarget NodeForWrite(THashNode& word);
  [[noreturn]] void RaiseUnknownProperty(const TObjNode& node, const std::string& property);
  [[noreturn]] void RaiseNotCreated(const std::string& name);
  [[noreturn]] void RaiseReadOnly(const std::string& name);
  bool Deliver(const TPropertyValue& out, std::string& value);
  bool ReadCommon(TObjNode& node, TGuiObject& object, TProperty p, const std::string& property,
                  TPropertyValue& out);
  bool WriteCommon(TObjNode& node, TProperty p, TPropertyInput& in);
  void SetVariable(const char* utf8Name, const std::string& value);
  // object_events.cpp
  void RunSlot(int id, int slot);

  TfrmNura& window_;
  TNuraEngine& engine_;
};

// The object site of the engine's window; nil without one.
TObjectSite* ObjectSiteOf(TNuraEngine& engine);
// A name argument as written; one in double quotes is evaluated.
std::string PopObjectName(TNuraEngine& engine);
// ""%s"は、オブジェクトではありません。"
[[noreturn]] void RaiseNotObject(TNuraEngine& engine, const std::string& name);

// Registers the object kinds and the object commands.
void RegisterObjectCommands();
// Menus, tabs, re-parenting and browser history (arrange_commands.cpp).
void RegisterArrangeCommands();

}  // namespace nura
