// Creation and destruction of script objects, and the object commands
// "作成", "設定", "得る", "オブジェクト破壊", "オブジェクト全破壊", "注目",
// "その単語に特定", "センタリング" and "センタリング解除".
#include <QApplication>

#include "engine/command_api.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "gui/main_window.h"
#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "gui/objects/object_site.h"
#include "platform/sjis.h"

namespace nura {

namespace {

std::string ObjectText(const std::string& name, const char* utf8Tail) {
  return SJ("オブジェクト\"") + name + "\"" + SJ(utf8Tail);
}

}  // namespace

// ---- creation ----

void TObjectSite::CreateObject(const std::string& position, bool positionGiven, std::string name,
                               const std::string& kindWord) {
  if (!name.empty() && (name.front() == '"' || name.front() == '`')) name = ExpandString(engine_, name);
  if (FindWord(engine_, name)) {
    throw ENura(FormatErrorMessage(engine_, ObjectText(name, "は、既に存在するので、作成できません。")));
  }
  int x = NextObjectX(engine_), y = NextObjectY(engine_);
  if (positionGiven) {
    try {
      ParseCoordinates(engine_, position, x, y);
    } catch (const ENura&) {
      throw ENura(FormatErrorMessage(engine_, 
          ObjectText(name, "は、未定義なので、作成できません。座標指定に誤りがあります。") + "\"" +
          position + "\""));
    }
  }
  x = ClampCoordinate(x);
  y = ClampCoordinate(y);
  TObjectRecipe recipe{window_, "", 0, 0, "", 0};
  GetFontSettings(engine_, recipe.fontColour, recipe.fontSize, recipe.fontName, recipe.fontStyle);
  const std::optional<TObjectKind> kind = ObjectKindOfName(kindWord);
  const TObjectFactory factory = kind && *kind != TObjectKind::Menu ? FindObjectKind(*kind) : nullptr;
  if (!factory) {
    throw ENura(FormatErrorMessage(engine_, ObjectText(kindWord, "は、未定義なので、作成できません。")));
  }
  recipe.caption = EndsWithText(name, kindWord) ? RemoveSuffix(name, kindWord) : name;
  std::unique_ptr<TGuiObject> object = factory(recipe);
  QWidget* widget = object->Widget();
  if (*kind != TObjectKind::Form) {
    if (IsCentring(engine_)) x = (window_.Client()->width() - widget->width()) / 2;
    widget->move(x, y);
    widget->show();
    SetNextObjectPosition(engine_, NextObjectX(engine_), y + widget->height() + PlacementGap());
  }
  AddObject(name, std::move(object));
}

void TObjectSite::AddObject(const std::string& name, std::unique_ptr<TGuiObject> object) {
  TObjList& objects = ObjectList(engine_);
  const int id = objects.Count();
  const TObjectKind kind = object->Kind();
  object->Attach(*this, id);
  objects.Add(std::make_unique<TObjNode>(name, std::move(object), id, kind));
  auto word = std::make_unique<THashNode>(name, false, kWordObject, id, ObjectKindName(kind), "", "");
  word->SetPosition(CursorPosition(engine_));
  NodePtr added = AddWord(engine_, std::move(word));
  if (const NodePtr& last = LastObjectWord(engine_)) AssignWord(engine_, *last, *added);
}

// ---- destruction ----

void TObjectSite::DestroyObjectEntry(int index) {
  TObjList& objects = ObjectList(engine_);
  TObjNode* node = objects.GetItem(index);
  if (!node) return;
  if (!node->component) {
    throw ENura(FormatErrorMessage(engine_, SJ("オブジェクトの破壊で、") +
                                           ObjectText(node->name, "が特定できません。")));
  }
  // A control already freed with its container is only released.
  if (TGuiObject* object = GuiObjectOf(node->Control())) {
    object->Empty();
    object->Widget()->hide();
  }
  std::unique_ptr<TObjNode> taken = objects.Take(index);
  taken->name.clear();
  window_.QueueForDestruction(std::move(taken));
}

// Objects whose widgets lie on `area`.
std::string TObjectSite::NamesOn(QWidget& area) {
  std::string names;
  TObjList& objects = ObjectList(engine_);
  for (int i = 1; i < objects.Count(); ++i) {
    TObjNode* node = objects.GetItem(i);
    TGuiObject* object = node ? GuiObjectOf(node->Control()) : nullptr;
    if (object && object->Widget()->parentWidget() == &area) names += node->name + "\r\n";
  }
  return names;
}

void TObjectSite::MoveOnto(TGuiObject& parent, const std::string& childName) {
  if (childName.empty()) return;
  NodePtr word = FindWord(engine_, childName);
  TObjNode* node = word && word->kind == kWordObject ? NodeOf(word->id) : nullptr;
  TGuiObject* child = node ? GuiObjectOf(node->Control()) : nullptr;
  if (!child) throw ENura(FormatErrorMessage(engine_, "\"" + childName + SJ("\"は、オブジェクトではありません。")));
  QWidget* area = parent.ChildArea();
  QWidget* widget = child->Widget();
  // Qt cannot hold a container inside itself; a form or the main window
  // never becomes a child either.
  if (!area || widget == area || widget->isAncestorOf(area) || widget->isWindow()) {
    const TObjNode* container = NodeOf(parent.Id());
    throw ENura(FormatErrorMessage(engine_, childName + SJ("を、") + (container ? container->name : "") +
                                           SJ("へ、親変更に失敗。")));
  }
  const QPoint at = widget->pos();
  widget->setParent(area);
  widget->move(at);
  widget->show();
  if (area->parentWidget() && qobject_cast<QWidget*>(area->parentWidget()->parent()) &&
      area->minimumSize() != QSize(0, 0)) {
    area->setMinimumSize(area->childrenRect().bottomRight().x() + 1, area->childrenRect().bottomRight().y() + 1);
  }
}

TObjectSite* ObjectSiteOf(TNuraEngine& engine) {
  auto* window = dynamic_cast<TfrmNura*>(&EngineHost(engine));
  return window ? &window->Objects() : nullptr;
}

std::string PopObjectName(TNuraEngine& engine) {
  const std::string name = PopRawWord(engine);
  return !name.empty() && name.front() == '"' ? ExpandString(engine, name) : name;
}

void RaiseNotObject(TNuraEngine& engine, const std::string& name) {
  RaiseScriptError(engine, "\"" + name + SJ("\"は、オブジェクトではありません。"));
}

namespace {

TObjectSite* SiteOf(TNuraEngine& engine) { return ObjectSiteOf(engine); }
std::string PopName(TNuraEngine& engine) { return PopObjectName(engine); }

// "作成" ("?に,?を,?として"): position, name, kind.
void Create(TNuraEngine& engine, CommandId) {
  const std::string kind = PopText(engine);
  const std::string name = PopRawArgument(engine);
  const bool given = !SubjectLeftOut(engine);
  const std::string position = PopRawArgument(engine);
  if (TObjectSite* site = SiteOf(engine)) site->CreateObject(position, given, name, kind);
}

// "設定" ("?の,?を,?に"): object, property, value (as written: the property
// reads it).
void SetProperty(TNuraEngine& engine, CommandId) {
  const std::string value = PopRawArgument(engine);
  const std::string property = PopName(engine);
  THashNode named;
  named.name = PopName(engine);
  if (TObjectSite* site = SiteOf(engine)) site->SetObjectProperty(engine, named, property, value);
}

// "得る" ("?の,?を,?に"): object, property, variable.
void GetProperty(TNuraEngine& engine, CommandId) {
  const std::string variable = PopName(engine);
  const std::string property = PopName(engine);
  const std::string object = PopName(engine);
  NodePtr word = FindWord(engine, object);
  if (!word) RaiseScriptError(engine, SJ("単語\"") + object + SJ("\"は、定義されていません。"));
  if (word->kind != kWordObject) RaiseNotObject(engine, object);
  NodePtr target = FindWord(engine, variable);
  if (!target) target = AddVariable(engine, variable, "", "");
  if (target->isProtected) RaiseScriptError(engine, "\"" + variable + SJ("\"は、読取専用です。"));
  std::string value;
  TObjectSite* site = SiteOf(engine);
  if (!site || !site->GetObjectProperty(engine, object, property, value)) return;
  target->SetValue(value);
  target->SetAnnotation(ResultKind(engine));
}

// "オブジェクト破壊" ("?の"): the object named. Its own word goes; words
// that only refer to it ("その", "イベントオブジェクト") stay.
void DestroyObject(TNuraEngine& engine, CommandId) {
  const std::string name = PopName(engine);
  NodePtr word = FindWord(engine, name);
  if (!word) RaiseScriptError(engine, ObjectText(name, "が特定できません。"));
  if (word->kind != kWordObject) RaiseNotObject(engine, name);
  TObjNode* node = ObjectList(engine).GetItem(word->id);
  if (!node) {
    if (word != LastObjectWord(engine) && word->name != SJ("イベントオブジェクト")) DeleteWord(engine, name, false);
    return;
  }
  if (word->id == 0) return;
  const std::string own = node->name;
  if (TObjectSite* site = SiteOf(engine)) site->DestroyObjectEntry(word->id);
  DeleteWord(engine, own, false);
}

// "オブジェクト全破壊": every object but the main window.
void DestroyAllObjects(TNuraEngine& engine, CommandId) {
  TObjList& objects = ObjectList(engine);
  TObjectSite* site = SiteOf(engine);
  for (int id = 1; id < objects.Count(); ++id) {
    TObjNode* node = objects.GetItem(id);
    if (!node) continue;
    const std::string name = node->name;
    if (site && node->component) site->DestroyObjectEntry(id);
    DeleteWord(engine, name, false);
  }
}

// "注目" ("?に"): the object gets the focus.
void Focus(TNuraEngine& engine, CommandId) {
  TObjList& objects = ObjectList(engine);
  std::string name = PopName(engine);
  TObjNode* node = objects.FindByName(name);
  if (!node) {
    name = ExpandString(engine, name);
    node = objects.FindByName(name);
  }
  TGuiObject* object = node ? GuiObjectOf(node->Control()) : nullptr;
  if (!object) RaiseScriptError(engine, ObjectText(name, "は、作成されていません。"));
  QWidget* widget = object->Widget();
  if (node->kind == TObjectKind::Form) {
    widget->raise();
    widget->activateWindow();
    widget->setFocus();
    return;
  }
  if (!widget->isVisible() || !widget->isEnabled() || widget->focusPolicy() == Qt::NoFocus)
    RaiseScriptError(engine, "\"" + name + SJ("\"には、注目できません。"));
  widget->setFocus();
}

// "その単語に特定" ("?を"): "その" refers to the word.
void IdentifyWord(TNuraEngine& engine, CommandId) {
  const std::string name = PopName(engine);
  NodePtr word = FindWord(engine, name);
  if (!word) RaiseScriptError(engine, ObjectText(name, "は、作成されていません。"));
  const NodePtr& last = LastObjectWord(engine);
  if (last && last != word) AssignWord(engine, *last, *word);
}

void Center(TNuraEngine& engine, CommandId) { SetCentring(engine, true); }
void Uncenter(TNuraEngine& engine, CommandId) { SetCentring(engine, false); }

}  // namespace

constexpr CommandEntry kObjectCommands[] = {
    {CommandId::Create, Create},
    {CommandId::SetProperty, SetProperty},
    {CommandId::GetProperty, GetProperty},
    {CommandId::DestroyObject, DestroyObject},
    {CommandId::Focus, Focus},
    {CommandId::DestroyAllObjects, DestroyAllObjects},
    {CommandId::Center, Center},
    {CommandId::Uncenter, Uncenter},
    {CommandId::IdentifyWord, IdentifyWord},
};

void RegisterObjectCommands() {
  RegisterObjectKinds();
  RegisterArrangeCommands();
  RegisterCommandTable(kObjectCommands);
}

}  // namespace nura
