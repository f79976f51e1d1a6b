#include "editor/persistent.h"

#include <algorithm>
#include <typeinfo>

#include "engine/errors.h"
#include "platform/ini_file.h"
#include "platform/sjis.h"

namespace nura {

const TPropList& TPersistent::Properties() const {
  static const TPropList none;
  return none;
}

void TPersistent::RaiseAssignError(const TPersistent& source) const {
  throw ERuntimeError(std::string(source.ClassName()) + SJ(" を ") + std::string(ClassName()) +
                      SJ(" に代入できません"));
}

void TPersistent::Assign(const TPersistent& source) {
  if (typeid(source) != typeid(*this)) RaiseAssignError(source);
  AssignProperties(source);
}

void TPersistent::AssignProperties(const TPersistent& source) {
  auto& from = const_cast<TPersistent&>(source);  // getObj needs a non-const object; nothing is changed
  for (const TPropInfo& p : Properties()) {
    switch (p.kind) {
      case TPropKind::String: p.setStr(*this, p.getStr(source)); break;
      case TPropKind::Strings: p.setList(*this, p.getList(source)); break;
      case TPropKind::Object:
      case TPropKind::Collection: p.getObj(*this)->Assign(*p.getObj(from)); break;
      default: p.setOrd(*this, p.getOrd(source)); break;
    }
  }
}

const TPropInfo* FindProperty(const TPersistent& object, std::string_view name) {
  for (const TPropInfo& p : object.Properties()) {
    if (SjisEqualsIgnoreAsciiCase(p.name, name)) return &p;
  }
  return nullptr;
}

void TNotifyPersistent::Changed() {
  if (updateCount_ == 0 && OnChange) OnChange(this);
}

void TNotifyPersistent::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  Changed();
}

void TNotifyPersistent::ChangedProc(TPersistent* sender) {
  if (sender != this) Changed();
}

void TNotifyPersistent::Assign(const TPersistent& source) {
  if (typeid(source) != typeid(*this)) RaiseAssignError(source);
  BeginUpdate();
  try {
    AssignProperties(source);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TPersistent& TCollection::Add() {
  items_.push_back(CreateItem());
  Changed();
  return *items_.back();
}

void TCollection::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed();
}

void TCollection::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  Changed();
}

void TCollection::Assign(const TPersistent& source) {
  if (typeid(source) != typeid(*this)) RaiseAssignError(source);
  const auto& from = static_cast<const TCollection&>(source);
  BeginUpdate();
  try {
    Clear();
    for (int i = 0; i < from.Count(); ++i) Add().Assign(from.Item(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TNotifyEventList::Add(const void* key, TNotifyEvent listener) {
  listeners_.emplace_back(key, std::move(listener));
}

void TNotifyEventList::Remove(const void* key) {
  for (size_t i = listeners_.size(); i-- > 0;) {
    if (listeners_[i].first == key) {
      listeners_.erase(listeners_.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

void TNotifyEventList::Changed() {
  if (Updating()) return;
  // A listener may remove itself while it is called: walk a copy.
  const auto listeners = listeners_;
  for (const auto& entry : listeners) entry.second(owner_);
}

void WalkPublishedProperties(TPersistent& object, const TPropertyWalker& callback) {
  std::vector<const TPropInfo*> props;
  for (const TPropInfo& p : object.Properties()) props.push_back(&p);
  std::sort(props.begin(), props.end(),
            [](const TPropInfo* a, const TPropInfo* b) { return FoldAsciiCase(a->name) < FoldAsciiCase(b->name); });
  for (const TPropInfo* p : props) {
    TPersistent* value = p->getObj ? p->getObj(object) : nullptr;
    callback(object, *p, value);
    if (!value) continue;
    WalkPublishedProperties(*value, callback);
    if (const auto* collection = dynamic_cast<const TCollection*>(value)) {
      for (int i = 0; i < collection->Count(); ++i) WalkPublishedProperties(collection->Item(i), callback);
    }
  }
}

std::string FoldAsciiCase(std::string_view s) {
  std::string folded(s);
  for (size_t i = 0; i < folded.size(); ++i) {
    const auto c = static_cast<unsigned char>(folded[i]);
    if (IsSjisLead(c) && i + 1 < folded.size()) {
      ++i;
    } else if (c >= 'a' && c <= 'z') {
      folded[i] = static_cast<char>(c - 'a' + 'A');
    }
  }
  return folded;
}

void TSortedStrings::Add(std::string_view s) {
  std::string key = FoldAsciiCase(s);
  const auto it = std::lower_bound(keys_.begin(), keys_.end(), key);
  if (it != keys_.end() && *it == key) return;
  const auto at = it - keys_.begin();
  lines_.insert(lines_.begin() + at, std::string(s));
  keys_.insert(it, std::move(key));
}

void TSortedStrings::Assign(const std::vector<std::string>& lines) {
  Clear();
  for (const std::string& line : lines) Add(line);
}

void TSortedStrings::Clear() {
  lines_.clear();
  keys_.clear();
}

bool TSortedStrings::Find(std::string_view s) const {
  return std::binary_search(keys_.begin(), keys_.end(), FoldAsciiCase(s));
}

}  // namespace nura
