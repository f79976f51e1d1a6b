// The kinds that "作成" can make: each kind's class registers a factory
// under its kind number (the list of gui/objects/object_kinds.h). A kind
// without a factory is not defined yet ("作成" refuses it): the text editor
// comes with its own class. The factory gives a new control its kind's
// default size.
#pragma once

#include <memory>
#include <string>

#include "engine/script_object.h"
#include "gui/objects/gui_object.h"

namespace nura {

class TfrmNura;

// What a factory gets: the main window (owner and parent of the control),
// the caption and the font of the font system variables.
struct TObjectRecipe {
  TfrmNura& window;
  std::string caption;  // Shift-JIS
  int32_t fontColour = 0;
  int fontSize = 0;
  std::string fontName;
  int fontStyle = 0;  // 1 bold, 2 italic, 4 underline
};

using TObjectFactory = std::unique_ptr<TGuiObject> (*)(const TObjectRecipe& recipe);

// The parent of a new control: the main window's client area.
QWidget* ObjectParent(const TObjectRecipe& recipe);
// The recipe's font on a control of a font kind (not its colour).
void ApplyRecipeFont(TGuiObject& object, const TObjectRecipe& recipe);

// Registers every kind that has a class.
void RegisterObjectKinds();

// Registers `factory` for `kind`; a later registration replaces it.
void RegisterObjectKind(TObjectKind kind, TObjectFactory factory);
// The factory of `kind`, or nullptr.
TObjectFactory FindObjectKind(TObjectKind kind);

}  // namespace nura
