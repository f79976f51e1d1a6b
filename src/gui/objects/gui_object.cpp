#include "gui/objects/gui_object.h"

namespace nura {

TGuiObject::TGuiObject(TObjectKind kind, QWidget* widget, bool owned)
    : kind_(kind), widget_(widget), owned_(owned) {}

TGuiObject::~TGuiObject() {
  if (owned_ && widget_) delete widget_.data();
}

TGuiObject* GuiObjectOf(TScriptObject* object) { return dynamic_cast<TGuiObject*>(object); }

}  // namespace nura
