#include "gui/objects/object_registry.h"

#include <array>

namespace nura {
namespace {

std::array<TObjectFactory, kObjectKindCount>& Factories() {
  static std::array<TObjectFactory, kObjectKindCount> factories{};
  return factories;
}

}  // namespace

void RegisterObjectKind(TObjectKind kind, TObjectFactory factory) {
  const int i = static_cast<int>(kind);
  if (i >= 0 && i < kObjectKindCount) Factories()[static_cast<size_t>(i)] = factory;
}

TObjectFactory FindObjectKind(TObjectKind kind) {
  const int i = static_cast<int>(kind);
  return i >= 0 && i < kObjectKindCount ? Factories()[static_cast<size_t>(i)] : nullptr;
}

}  // namespace nura
