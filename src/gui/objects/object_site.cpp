// The property reader and writer, and object values.
#include "gui/objects/object_site.h"

#include "engine/command_api.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "gui/main_window.h"
#include "gui/objects/form_object.h"
#include "platform/sjis.h"

namespace nura {

namespace {

bool IsQuotedName(const std::string& name) {
  return !name.empty() && (name.front() == '"' || name.front() == '`');
}

bool IsEventSlotProperty(TProperty p) {
  switch (p) {
    case TProperty::Click: case TProperty::DblClick: case TProperty::MouseDown:
    case TProperty::MouseUp: case TProperty::KeyDown: case TProperty::KeyUp:
    case TProperty::Change: case TProperty::MouseMove: case TProperty::FileDropEvent:
      return true;
    default:
      return false;
  }
}

int SlotOfProperty(TProperty p) {
  switch (p) {
    case TProperty::MouseMove: return 8;
    case TProperty::FileDropEvent: return 9;
    default: return static_cast<int>(p) - static_cast<int>(TProperty::Click) + 1;
  }
}

}  // namespace

TObjectHandle TObjectSite::CreateMainWindowObject() {
  auto object = std::make_unique<TMainWindowObject>(window_);
  object->Attach(*this, 0);
  return object;
}

TObjNode* TObjectSite::NodeOf(int id) { return ObjectList(engine_).GetItem(id); }

TGuiObject* TObjectSite::ObjectOf(int id) {
  TObjNode* node = NodeOf(id);
  return node ? GuiObjectOf(node->Control()) : nullptr;
}

int TObjectSite::PlacementGap() {
  return ClampCoordinate(StrictInteger(WordValue(engine_, SJ("部品配置間隔")), 8));
}

bool TObjectSite::Centring() { return IsCentring(engine_); }

void TObjectSite::CentreInParent(QWidget& frame) {
  const QWidget* parent = frame.parentWidget();
  if (!parent || frame.isWindow()) return;
  const int free = parent->width() - frame.width();
  frame.move(static_cast<int>(std::nearbyint(free / 2.0)), frame.y());
}

void TObjectSite::RaiseNotCreated(const std::string& name) {
  throw ENura(FormatErrorMessage(engine_, SJ("オブジェクト\"") + name + SJ("\"は、作成されていません。")));
}

void TObjectSite::RaiseUnknownProperty(const TObjNode& node, const std::string& property) {
  throw ENura(FormatErrorMessage(engine_, SJ("オブジェクト\"") + node.name + "\"(\"" +
                                         ObjectKindName(node.kind) + SJ("\")の設定項目\"") +
                                         property + SJ("\"は未定義です。")));
}

void TObjectSite::RaiseReadOnly(const std::string& name) {
  throw ENura(FormatErrorMessage(engine_, "\"" + name + SJ("\"は、読取専用です。")));
}

// ---- reader ----

// The read text goes out; its kind letter, when it has one, becomes the
// result kind.
bool TObjectSite::Deliver(const TPropertyValue& out, std::string& value) {
  if (!out.kind.empty()) SetResultKind(engine_, out.kind);
  value = out.text;
  return true;
}

bool TObjectSite::GetObjectProperty(TNuraEngine&, const std::string& objectName,
                                    const std::string& property, std::string& value) {
  const std::string name = IsQuotedName(objectName) ? ExpandString(engine_, objectName) : objectName;
  NodePtr word = FindWord(engine_, name);
  if (!word || word->kind != kWordObject) return false;  // not a property reference
  TObjNode* node = NodeOf(word->id);
  TGuiObject* object = node ? GuiObjectOf(node->Control()) : nullptr;
  if (!object) RaiseNotCreated(name);
  const std::optional<TProperty> p = PropertyOfName(property);
  if (!p) RaiseUnknownProperty(*node, property);
  TPropertyValue out;
  if (!ReadCommon(*node, *object, *p, property, out)) {
    switch (object->Read(*p, out)) {
      case TReadResult::Unknown:
        RaiseUnknownProperty(*node, property);
      case TReadResult::WordValue:
        out.Set(word->Value(), "s");
        break;
      case TReadResult::Done:
        break;
    }
  }
  return Deliver(out, value);
}

// The rows that do not depend on the kind: names, events and the slots
// that cannot be read.
bool TObjectSite::ReadCommon(TObjNode& node, TGuiObject&, TProperty p, const std::string& property,
                             TPropertyValue& out) {
  if (IsEventSlotProperty(p) || p == TProperty::Sort) {
    throw ENura(FormatErrorMessage(engine_, "\"" + node.name + "," + StrippedPropertyName(property) +
                                           SJ("\"は、未定義です。")));
  }
  switch (p) {
    case TProperty::Name:
      out.text = node.name;
      return true;
    case TProperty::Kind:
      out.text = ObjectKindName(node.kind);
      return true;
    case TProperty::Event:
      RunEventCode(node.objectId);
      out.text.clear();
      return true;
    default:
      return false;
  }
}

// ---- writer ----

TPropertyTarget TObjectSite::NodeForWrite(THashNode& given) {
  TPropertyTarget target;
  const std::string name = IsQuotedName(given.name) ? ExpandString(engine_, given.name) : given.name;
  NodePtr word = FindWord(engine_, name);
  const NodePtr& last = LastObjectWord(engine_);
  if (word && last && last != word) AssignWord(engine_, *last, *word);
  if (!word || word->kind != kWordObject) RaiseNotCreated(name);
  target.word = word.get();
  target.node = NodeOf(word->id);
  target.object = target.node ? target.node->Control() : nullptr;
  if (!GuiObjectOf(target.object)) RaiseNotCreated(name);
  return target;
}

bool TObjectSite::PrepareObjectWrite(TNuraEngine&, THashNode& given, const std::string& property,
                                     std::optional<TProperty> p, TPropertyTarget& target) {
  target = NodeForWrite(given);
  if (!p || *p == TProperty::Kind) RaiseUnknownProperty(*target.node, property);
  switch (*p) {
    case TProperty::Name:
    case TProperty::Handle:
    case TProperty::Right:
    case TProperty::Bottom:
      RaiseReadOnly(property);
    default:
      return true;
  }
}

// `value` comes evaluated as its property takes it: the event bindings get
// the text as written.
void TObjectSite::WriteObjectProperty(TNuraEngine&, const TPropertyTarget& target,
                                      const std::string& property, TProperty p,
                                      const std::string& value) {
  if (p == TProperty::Event) {
    BindCurrentEvent(*target.node, value);
    return;
  }
  if (IsEventSlotProperty(p)) {
    BindEventSlot(*target.node, SlotOfProperty(p), value);
    return;
  }
  TPropertyInput in(engine_, *target.word, value);
  switch (GuiObjectOf(target.object)->Write(p, in)) {
    case TWriteResult::Unknown:
      RaiseUnknownProperty(*target.node, property);
    case TWriteResult::Refused:
      throw ENura(FormatErrorMessage(engine_, SJ("オブジェクト\"") + target.node->name +
                                             SJ("\"の設定は、未定義です。")));
    case TWriteResult::Done:
      break;
  }
}

// ---- values ----

void TObjectSite::AssignObjectValue(TNuraEngine&, THashNode& word, const std::string& value) {
  TGuiObject* object = ObjectOf(word.id);
  if (!object) RaiseNotCreated(word.name);
  TPropertyInput in(engine_, word, value);
  object->AssignValue(in);
}

bool TObjectSite::ReadObjectValue(TNuraEngine&, THashNode& word, std::string& value) {
  SetResultKind(engine_, "s");
  TGuiObject* object = ObjectOf(word.id);
  if (!object) RaiseNotCreated(word.name);
  TPropertyValue out;
  switch (object->ReadValue(out)) {
    case TReadResult::Unknown:
      throw ENura(FormatErrorMessage(engine_, SJ("オブジェクト\"") + word.name +
                                             SJ("\"から、直接値を得ることは出来ません。")));
    case TReadResult::WordValue:
      out.Set(TrimText(word.Value()), "s");
      break;
    case TReadResult::Done:
      break;
  }
  return Deliver(out, value);
}

}  // namespace nura
