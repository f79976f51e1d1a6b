// Commands that build or rearrange the object tree beyond "作成": menu
// items ("メニュー作成", "メニュー追加"), moving an object onto a container
// ("乗せ換える", "乗せる"), tabs of page controls ("タブ追加",
// "タブ有効変更") and browser history ("ブラウザ進む", "ブラウザ戻る").
#include <QMenuBar>
#include <QTabWidget>
#include <cmath>

#include "engine/command_api.h"
#include "engine/errors.h"
#include "gui/main_window.h"
#include "gui/objects/browser_object.h"
#include "gui/objects/menu_object.h"
#include "gui/objects/object_site.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// ""%s"命令の引数に誤りがあります。" filled with `name`, then `detail`.
[[noreturn]] void RaiseNamedArgumentError(TNuraEngine& engine, const std::string& name, const char* detail) {
  RaiseScriptError(engine, "\"" + name + SJ("\"命令の引数に誤りがあります。") + SJ(detail));
}

// The name of a new menu item: a plain variable of that name gives way
// (with its okurigana-stripped twin); any other word keeps it. `drop`
// removes the variable once the command cannot fail any more.
bool CheckMenuName(TNuraEngine& engine, const std::string& name) {
  NodePtr word = FindWord(engine, name);
  if (!word) return false;
  if (word->isProtected) RaiseScriptError(engine, "\"" + name + SJ("\"は、読取専用です。"));
  if (word->kind != kWordVariable) {
    RaiseScriptError(engine, SJ("オブジェクト\"") + name + SJ("\"は、既に存在するので、作成できません。"));
  }
  return true;
}

// Caption: the name without a trailing "メニュー".
std::string MenuCaption(const std::string& name) {
  const std::string suffix = SJ("メニュー");
  return EndsWithText(name, suffix) ? RemoveSuffix(name, suffix) : name;
}

// Makes the item, lets `append` place it and enters it as an object.
template <typename Append>
void MakeMenu(TNuraEngine& engine, const std::string& name, bool replacesVariable, Append append) {
  TObjectSite* site = ObjectSiteOf(engine);
  if (!site) return;
  if (replacesVariable) DeleteWord(engine, name, true);
  auto item = std::make_unique<TMenuObject>(&site->Window(), MenuCaption(name));
  append(*item);
  site->AddObject(name, std::move(item));
}

// "メニュー作成" ("?を"): a top-level item in the main window's menu bar.
void CreateMenu(TNuraEngine& engine, CommandId) {
  const std::string name = PopObjectName(engine);
  const bool replaces = CheckMenuName(engine, name);
  MakeMenu(engine, name, replaces, [&](TMenuObject& item) {
    item.AppendTo(*ObjectSiteOf(engine)->Window().menuBar());
  });
}

// "メニュー追加" ("?に,?を"): an item under another menu item.
void AddMenu(TNuraEngine& engine, CommandId id) {
  const std::string name = PopObjectName(engine);
  const std::string parentName = PopObjectName(engine);
  const bool replaces = CheckMenuName(engine, name);
  TObjNode* node = ObjectList(engine).FindByName(parentName);
  TGuiObject* object = node ? GuiObjectOf(node->Control()) : nullptr;
  if (!object) RaiseScriptError(engine, SJ("オブジェクト\"") + parentName + SJ("\"は、作成されていません。"));
  auto* parent = dynamic_cast<TMenuObject*>(object);
  if (!parent) RaiseArgumentError(engine, id, SJ("メニュー部品を指定してください。"));
  MakeMenu(engine, name, replaces, [&](TMenuObject& item) { item.AppendTo(*parent); });
}

// The object word of an argument; a failed look-up is the command's
// argument error.
NodePtr PopObjectWord(TNuraEngine& engine, CommandId id) {
  try {
    return PopObject(engine);
  } catch (const ENura&) {
    RaiseArgumentError(engine, id);
  }
}

// The live object of an object word; "オブジェクトではありません" for any
// other word.
TGuiObject& ObjectOfWord(TNuraEngine& engine, const NodePtr& word) {
  TObjectSite* site = ObjectSiteOf(engine);
  TGuiObject* object = word->kind == kWordObject && site ? site->ObjectOf(word->id) : nullptr;
  if (!object) RaiseNotObject(engine, word->name);
  return *object;
}

bool IsContainerKind(TObjectKind kind) {
  return kind == TObjectKind::Form || kind == TObjectKind::Panel || kind == TObjectKind::ScrollBox ||
         kind == TObjectKind::PageControl;
}

// "乗せ換える" ("?を,?の上へ") and "乗せる" ("?を,?へ"): object, container.
void Reparent(TNuraEngine& engine, CommandId id) {
  const NodePtr containerWord = PopObjectWord(engine, id);
  const NodePtr objectWord = PopObjectWord(engine, id);
  TGuiObject& container = ObjectOfWord(engine, containerWord);
  ObjectOfWord(engine, objectWord);
  if (!IsContainerKind(container.Kind())) {
    RaiseNamedArgumentError(engine, containerWord->name, "パネルとフォームなど以外には乗せられません。");
  }
  ObjectSiteOf(engine)->MoveOnto(container, objectWord->name);
}

// The tab widget of a page control; the "タブページ部品" error for others.
QTabWidget& PageControlOf(TNuraEngine& engine, const NodePtr& word) {
  TGuiObject& object = ObjectOfWord(engine, word);
  auto* tabs = object.Kind() == TObjectKind::PageControl ? qobject_cast<QTabWidget*>(object.Widget()) : nullptr;
  if (!tabs) RaiseNamedArgumentError(engine, word->name, "タブページ部品を指定してください。");
  return *tabs;
}

// "タブ追加" ("?に,?の"): page control, caption.
void AddTab(TNuraEngine& engine, CommandId id) {
  const std::string caption = PopText(engine);
  QTabWidget& tabs = PageControlOf(engine, PopObjectWord(engine, id));
  tabs.addTab(new QWidget, SjisToQString(caption));
}

// "タブ有効変更" ("?を,?に"): the active page is enabled exactly for 1; a
// control without tabs has no active page and stays as it is.
void SetTabEnabled(TNuraEngine& engine, CommandId id) {
  const long double value = std::nearbyint(PopNumber(engine));
  QTabWidget& tabs = PageControlOf(engine, PopObjectWord(engine, id));
  if (QWidget* page = tabs.currentWidget()) page->setEnabled(value == 1);
}

// "ブラウザ進む", "ブラウザ戻る" ("?の"): a page that is not there is
// ignored.
void BrowserHistory(TNuraEngine& engine, CommandId id) {
  const NodePtr word = PopObjectWord(engine, id);
  auto* browser = dynamic_cast<TBrowserObject*>(&ObjectOfWord(engine, word));
  if (!browser) RaiseNamedArgumentError(engine, word->name, "ブラウザ部品を指定してください。");
  if (id == CommandId::BrowserForward) browser->Forward();
  else browser->Back();
}

}  // namespace

constexpr CommandEntry kArrangeCommands[] = {
    {CommandId::CreateMenu, CreateMenu},
    {CommandId::AddMenu, AddMenu},
    {CommandId::Reparent, Reparent},
    {CommandId::AddTab, AddTab},
    {CommandId::SetTabEnabled, SetTabEnabled},
    {CommandId::BrowserForward, BrowserHistory},
    {CommandId::BrowserBack, BrowserHistory},
};

void RegisterArrangeCommands() { RegisterCommandTable(kArrangeCommands); }

}  // namespace nura
