// The script object list: one entry per object made by "作成", holding its
// name, kind, event code and control.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/script_object.h"
#include "engine/word_table.h"

namespace nura {

// One script GUI object.
struct TObjNode {
  static constexpr int kEvents = 10;
  std::string name;
  std::array<std::string, kEvents> eventTexts;
  TObjectKind kind = TObjectKind::Button;
  std::array<TextPos, kEvents> eventPos;
  int32_t objectId = 0;
  TObjectHandle component;  // the control; freed with the node

  TObjNode(std::string name, TObjectHandle component, int32_t objectId, TObjectKind kind)
      : name(std::move(name)), kind(kind), objectId(objectId), component(std::move(component)) {}
  // The control while it lives; nil when it has none or it is gone.
  TScriptObject* Control() const { return component && component->Alive() ? component.get() : nullptr; }
};

class TObjList {
 public:
  void Add(std::unique_ptr<TObjNode> node) { items_.push_back(std::move(node)); }
  int Count() const { return static_cast<int>(items_.size()); }
  TObjNode* FindByName(const std::string& name) const;
  int IndexOfName(const std::string& name) const;
  TObjNode* GetItem(int i) const;
  void SetItem(int i, std::unique_ptr<TObjNode> node);
  // Takes entry `i` out, leaving it nil; nil when there is none.
  std::unique_ptr<TObjNode> Take(int i);
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TObjNode>> items_;
};

}  // namespace nura
