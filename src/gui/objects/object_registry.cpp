#include "gui/objects/object_registry.h"

#include <array>

#include "gui/main_window.h"
#include "gui/objects/object_kinds.h"

namespace nura {
namespace {

std::array<TObjectFactory, kObjectKindCount>& Factories() {
  static std::array<TObjectFactory, kObjectKindCount> factories{};
  return factories;
}

}  // namespace

QWidget* ObjectParent(const TObjectRecipe& recipe) { return recipe.window.Client(); }

void ApplyRecipeFont(TGuiObject& object, const TObjectRecipe& recipe) {
  object.ApplyFont(recipe.fontName, recipe.fontSize, recipe.fontStyle);
}

void RegisterObjectKinds() {
#define NURA_REGISTER_OBJECT_KIND(registerKind) registerKind();
  NURA_GUI_OBJECT_KINDS(NURA_REGISTER_OBJECT_KIND)
#undef NURA_REGISTER_OBJECT_KIND
}

void RegisterObjectKind(TObjectKind kind, TObjectFactory factory) {
  const int i = static_cast<int>(kind);
  if (i >= 0 && i < kObjectKindCount) Factories()[static_cast<size_t>(i)] = factory;
}

TObjectFactory FindObjectKind(TObjectKind kind) {
  const int i = static_cast<int>(kind);
  return i >= 0 && i < kObjectKindCount ? Factories()[static_cast<size_t>(i)] : nullptr;
}

}  // namespace nura
