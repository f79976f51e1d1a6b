// Base classes of the editor's option objects: persistent objects with an
// explicit table of published properties (name, kind, getter, setter) that
// serves streaming, walking and assignment; objects and collections that
// notify on change; the listener list of a fountain; sorted string lists.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace nura {

class TPersistent;
class TCollection;

enum class TPropKind {
  Integer,     // 32-bit signed
  Boolean,
  String,
  Color,       // TColor, stored by name when it has one
  Cursor,      // TCursor, stored by name when it has one
  Enum,        // stored by the name of its value
  Set,         // bit i set: member `names[i]`
  Object,      // an owned persistent object, streamed through its own properties
  Collection,  // an owned collection of persistent items
  Strings,     // a string list, streamed as the property "Strings" of it
};

using TNameList = std::vector<std::string_view>;

struct TPropInfo {
  std::string_view name;
  TPropKind kind;
  const TNameList* names = nullptr;  // Enum and Set
  int32_t (*getOrd)(const TPersistent&) = nullptr;
  void (*setOrd)(TPersistent&, int32_t) = nullptr;
  std::string (*getStr)(const TPersistent&) = nullptr;
  void (*setStr)(TPersistent&, const std::string&) = nullptr;
  std::vector<std::string> (*getList)(const TPersistent&) = nullptr;
  void (*setList)(TPersistent&, const std::vector<std::string>&) = nullptr;
  TPersistent* (*getObj)(TPersistent&) = nullptr;  // Object and Collection
};
using TPropList = std::vector<TPropInfo>;

namespace prop_detail {
template <class T> struct SetterArg;
template <class C, class A> struct SetterArg<void (C::*)(A)> { using type = std::remove_cvref_t<A>; };
}  // namespace prop_detail

// Table entries made from a class's getter and setter.
template <class C, auto Get, auto Set>
TPropInfo OrdProp(std::string_view name, TPropKind kind, const TNameList* names = nullptr) {
  using Arg = typename prop_detail::SetterArg<decltype(Set)>::type;
  TPropInfo p{name, kind, names};
  p.getOrd = [](const TPersistent& o) { return static_cast<int32_t>((static_cast<const C&>(o).*Get)()); };
  p.setOrd = [](TPersistent& o, int32_t v) { (static_cast<C&>(o).*Set)(static_cast<Arg>(v)); };
  return p;
}
template <class C, auto Get, auto Set>
TPropInfo StrProp(std::string_view name) {
  TPropInfo p{name, TPropKind::String};
  p.getStr = [](const TPersistent& o) { return std::string((static_cast<const C&>(o).*Get)()); };
  p.setStr = [](TPersistent& o, const std::string& v) { (static_cast<C&>(o).*Set)(v); };
  return p;
}
template <class C, auto Get, auto Set>
TPropInfo ListProp(std::string_view name) {
  TPropInfo p{name, TPropKind::Strings};
  p.getList = [](const TPersistent& o) { return std::vector<std::string>((static_cast<const C&>(o).*Get)()); };
  p.setList = [](TPersistent& o, const std::vector<std::string>& v) { (static_cast<C&>(o).*Set)(v); };
  return p;
}
template <class C, auto Get>
TPropInfo ObjProp(std::string_view name, TPropKind kind = TPropKind::Object) {
  TPropInfo p{name, kind};
  p.getObj = [](TPersistent& o) -> TPersistent* { return &(static_cast<C&>(o).*Get)(); };
  return p;
}

// The properties of a base class followed by those a derived class adds.
inline TPropList ExtendProps(const TPropList& base, std::initializer_list<TPropInfo> added) {
  TPropList all = base;
  all.insert(all.end(), added);
  return all;
}

class TPersistent {
 public:
  TPersistent() = default;
  TPersistent(const TPersistent&) = delete;
  TPersistent& operator=(const TPersistent&) = delete;
  virtual ~TPersistent() = default;

  virtual std::string_view ClassName() const = 0;
  // The published properties, in the order the class declares them.
  virtual const TPropList& Properties() const;
  // Copies from an object of the same class; any other source raises the
  // assign error.
  virtual void Assign(const TPersistent& source);

 protected:
  // Copies every published property of `source` (same class) into this.
  void AssignProperties(const TPersistent& source);
  [[noreturn]] void RaiseAssignError(const TPersistent& source) const;
};

// Finds a property by name (without regard to case); nullptr when absent.
const TPropInfo* FindProperty(const TPersistent& object, std::string_view name);

// A persistent object that notifies its change handler.
class TNotifyPersistent : public TPersistent {
 public:
  using TNotifyEvent = std::function<void(TPersistent* sender)>;
  TNotifyEvent OnChange;

  // Calls OnChange with this object when no update is open.
  virtual void Changed();
  virtual void BeginUpdate() { ++updateCount_; }
  virtual void EndUpdate();
  // The handler a container binds to its parts: Changed unless the sender
  // is this object.
  void ChangedProc(TPersistent* sender);
  // A handler that forwards a part's change to this object.
  TNotifyEvent ChangeForwarder() {
    return [this](TPersistent* sender) { ChangedProc(sender); };
  }

  void Assign(const TPersistent& source) override;

 protected:
  bool Updating() const { return updateCount_ > 0; }
  // Stores `value` into `field` and notifies when it differs.
  template <class T>
  void Update(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }

 private:
  int updateCount_ = 0;
};

// A collection of persistent items of one class.
class TCollection : public TPersistent {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TPersistent& Item(int i) const { return *items_.at(static_cast<size_t>(i)); }
  // Appends a new item; the collection may refuse with an exception.
  virtual TPersistent& Add();
  void Clear();
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  // Clears and re-adds the items of another collection of the same class.
  void Assign(const TPersistent& source) override;

 protected:
  virtual std::unique_ptr<TPersistent> CreateItem() = 0;
  // Called after every change of the collection when no update is open.
  virtual void Update() {}
  void Changed() {
    if (updateCount_ == 0) Update();
  }

 private:
  std::vector<std::unique_ptr<TPersistent>> items_;
  int updateCount_ = 0;
};

// A collection that reports its changes, and those of its items, to OnChange.
class TNotifyCollection : public TCollection {
 public:
  explicit TNotifyCollection(TPersistent* owner) : owner_(owner) {}
  TPersistent* Owner() const { return owner_; }
  TNotifyPersistent::TNotifyEvent OnChange;
  void ChangedProc(TPersistent* sender) {
    if (sender != this) Changed();
  }

 protected:
  void Update() override {
    if (OnChange) OnChange(this);
  }

 private:
  TPersistent* owner_;
};

// The listeners of a fountain: every editor that uses it hears its changes.
class TNotifyEventList : public TNotifyPersistent {
 public:
  explicit TNotifyEventList(TPersistent* owner) : owner_(owner) {}
  std::string_view ClassName() const override { return "TNotifyEventList"; }
  // `key` identifies the listener for Remove.
  virtual void Add(const void* key, TNotifyEvent listener);
  // Removes the last listener added with `key`.
  virtual void Remove(const void* key);
  int Count() const { return static_cast<int>(listeners_.size()); }
  void Changed() override;

 private:
  TPersistent* owner_;
  std::vector<std::pair<const void*, TNotifyEvent>> listeners_;
};

// A sorted string list that ignores duplicates. Entries compare with ASCII
// letters folded to upper case (two-byte characters, trail bytes included,
// compare exactly).
class TSortedStrings {
 public:
  void Add(std::string_view s);
  void Assign(const std::vector<std::string>& lines);
  void Clear();
  bool Find(std::string_view s) const;
  const std::vector<std::string>& Strings() const { return lines_; }
  int Count() const { return static_cast<int>(lines_.size()); }

 private:
  std::vector<std::string> lines_;  // in order of their keys
  std::vector<std::string> keys_;   // the folded entries, sorted
};

// Calls `callback(owner, property, value)` for each published property of
// `object`, sorted by name; `value` is the held object of Object and
// Collection properties (else nullptr), which are then walked the same way,
// a collection item by item.
using TPropertyWalker = std::function<void(TPersistent& owner, const TPropInfo& prop, TPersistent* value)>;
void WalkPublishedProperties(TPersistent& object, const TPropertyWalker& callback);

// ASCII letters to upper case outside two-byte characters.
std::string FoldAsciiCase(std::string_view s);

}  // namespace nura
