// The base of the script-object classes: one class per kind, each in its
// own file, on a Qt widget. The object refers to its widget through a
// guarded pointer, so a widget freed with its container leaves the object
// "not created" instead of dangling.
#pragma once

#include <QPointer>
#include <QWidget>

#include "engine/script_object.h"

namespace nura {

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

 private:
  TObjectKind kind_;
  QPointer<QWidget> widget_;
  bool owned_;
};

// The object of a handle as a GUI object; nil for none.
TGuiObject* GuiObjectOf(TScriptObject* object);

}  // namespace nura
