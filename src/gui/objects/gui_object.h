// The base of the script-object classes: one class per kind, each in its
// own file, on a Qt widget. The object refers to its widget through a
// guarded pointer, so a widget freed with its container leaves the object
// "not created" instead of dangling.
//
// Properties: the base class answers what every kind shares (position,
// size, visibility, fonts, colours) and the "other kinds" column of each
// property; a kind's class overrides Read and Write for its own rows and
// hands everything else to the base.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "engine/script_object.h"
#include "gui/objects/object_properties.h"

namespace nura {

class TFileDrop;
class TNuraEngine;
class TObjectSite;

// Event slots of an object (index into its node's slot arrays).
enum TEventSlot : int {
  kSlotCurrent = 0,
  kSlotClick = 1,
  kSlotDblClick = 2,
  kSlotMouseDown = 3,
  kSlotMouseUp = 4,
  kSlotKeyDown = 5,
  kSlotKeyUp = 6,
  kSlotChange = 7,
  kSlotMouseMove = 8,
  kSlotFileDrop = 9,
};

// Which platform events a kind connects at creation.
enum TEventMask : unsigned {
  kOnClick = 1u << kSlotClick,
  kOnDblClick = 1u << kSlotDblClick,
  kOnMouseDown = 1u << kSlotMouseDown,
  kOnMouseUp = 1u << kSlotMouseUp,
  kOnKeyDown = 1u << kSlotKeyDown,
  kOnKeyUp = 1u << kSlotKeyUp,
  kOnChange = 1u << kSlotChange,
  kOnMouseMove = 1u << kSlotMouseMove,
  kOnMouse = kOnMouseDown | kOnMouseUp | kOnMouseMove,
  kOnKeys = kOnKeyDown | kOnKeyUp,
};

class TGuiObject : public TScriptObject {
 public:
  // `owned`: freeing the object frees the widget (every control but the
  // main window).
  TGuiObject(TObjectKind kind, QWidget* widget, bool owned);
  ~TGuiObject() override;
  TGuiObject(const TGuiObject&) = delete;
  TGuiObject& operator=(const TGuiObject&) = delete;

  bool Alive() const override { return !widget_.isNull(); }
  TObjectKind Kind() const { return kind_; }
  // The widget; nil once it is gone.
  QWidget* Widget() const { return widget_.data(); }
  int Id() const { return id_; }
  TObjectSite* Site() const { return site_; }

  // Called once after creation: the object id (the control's tag), the
  // site that receives its events, and the events its kind connects.
  void Attach(TObjectSite& site, int id);
  // File-drop reception on or off.
  void AcceptFileDrops(bool on);
  bool AcceptsFileDrops() const { return fileDrop_ != nullptr; }

  // ---- properties ----
  // Reads property `p`.
  virtual TReadResult Read(TProperty p, TPropertyValue& out);
  virtual TWriteResult Write(TProperty p, TPropertyInput& in);
  // The caption or edit text of kinds that have one ("テキスト", and their
  // value); none for other kinds.
  virtual std::optional<std::string> Caption() const { return std::nullopt; }
  virtual void SetCaption(const std::string& text) { (void)text; }
  // The object's value as an operand and its kind letter (the caption by
  // default); Unknown: the kind gives no value ("直接値を得ることは出来ません").
  virtual TReadResult ReadValue(TPropertyValue& out);
  // The value assignment "object = value" (the caption by default).
  virtual void AssignValue(TPropertyInput& in);
  // "オブジェクト破壊": empties the control before it is hidden.
  virtual void Empty() {}
  // A window message a script sends ("メッセージ送信"); `buffer` is the
  // text the lparam names (nullptr for a number). False when the object
  // leaves the message to the general handling.
  virtual bool WindowMessage(int64_t message, int64_t wparam, int64_t lparam, std::string* buffer, int64_t& result) {
    (void)message, (void)wparam, (void)lparam, (void)buffer, (void)result;
    return false;
  }
  // One of the event widgets changed its size (forms follow with their
  // picture).
  virtual void Resized(QObject* widget) { (void)widget; }
  // The widget that objects moved onto this one become children of; nil
  // when the kind is no container.
  virtual QWidget* ChildArea() const { return nullptr; }

  // Geometry in the parent's coordinates; forms use their client size.
  virtual QSize ContentSize() const;
  virtual void SetContentSize(const QSize& size);

  // The font and colour of the font system variables, for kinds that take
  // them at creation.
  void ApplyFont(const std::string& name, int size, int style);
  void ApplyTextColour(int32_t colour);

 public:
  virtual bool TakesKeysFrom(QObject* watched) const;
  // True for the widgets whose mouse events and size are the object's.
  bool Watches(QObject* watched) const;

 protected:
  // Which events the kind connects; the base installs the mouse, key and
  // double-click bridges, and the kind connects click and change signals.
  virtual unsigned Events() const { return 0; }
  virtual void ConnectSignals() {}
  // The widgets whose mouse and key events are the object's (a scroll
  // area's viewport besides the widget itself).
  virtual QList<QWidget*> EventWidgets() const;
  // Kinds that take the font properties ("font kinds").
  virtual bool HasFont() const { return false; }
  // Kinds that take "背景色", and the palette role it sets.
  virtual bool HasColour() const { return false; }
  virtual QPalette::ColorRole ColourRole() const { return QPalette::Window; }
  // False for kinds whose "背景色" can be written but reads "0".
  virtual bool ReadsColour() const { return true; }
  // The widget whose font and colours the font properties change.
  virtual QWidget* FontWidget() const { return Widget(); }
  // The context of the kind's signal connections: they end when the
  // object is freed, even when the widget lives on.
  QObject* Context() const { return bridge_.data(); }
  // Key preview (forms): every key of a control on the window reaches the
  // object first; its events are then watched application-wide.
  virtual bool PreviewsKeys() const { return false; }
  // A widget made after creation joins the event widgets.
  void Watch(QWidget* widget);
  // Runs slot `slot` of this object (bridges for signals).
  void Fire(int slot);
  // True when the kind reports clicks by a signal; other kinds get a click
  // when a mouse button goes up over the control it went down on.
  virtual bool ClicksBySignal() const { return false; }

 private:
  TObjectKind kind_;
  QPointer<QWidget> widget_;
  bool owned_;
  int id_ = -1;
  TObjectSite* site_ = nullptr;
  QPointer<QObject> bridge_;  // a child of the widget
  std::unique_ptr<TFileDrop> fileDrop_;  // file-drop reception, when on
};

// The object of a handle as a GUI object; nil for none.
TGuiObject* GuiObjectOf(TScriptObject* object);
// The living object named `name` (exact name); the error
// "オブジェクト"%s"は、作成されていません。" when none has it or it is gone.
TGuiObject& LiveObjectNamed(TNuraEngine& engine, const std::string& name);

// Positions and sizes of controls stay within what a window system holds
// (16-bit coordinates), so that sums of them never overflow.
int ClampCoordinate(int value);
int ClampExtent(int value);

// 0x00BBGGRR to a Qt colour and back.
QColor ColourOf(int32_t value);
int32_t ColourValue(const QColor& colour);

}  // namespace nura
