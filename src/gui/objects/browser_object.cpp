#include "gui/objects/browser_object.h"

#include "engine/command_api.h"
#include "engine/sjis_text.h"
#include "gui/main_window.h"
#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "platform/program_module.h"
#include "platform/sjis.h"

namespace nura {

TBrowserObject::TBrowserObject(QWidget* view) : TGuiObject(TObjectKind::Browser, view, true) {}

TReadResult TBrowserObject::Read(TProperty p, TPropertyValue& out) {
  switch (p) {
    case TProperty::Text:
    case TProperty::Url:
      out.Set(Location(), "s");
      return TReadResult::Done;
    default:
      return TGuiObject::Read(p, out);
  }
}

TWriteResult TBrowserObject::Write(TProperty p, TPropertyInput& in) {
  if (p != TProperty::Url) return TGuiObject::Write(p, in);
  Navigate(in.Text());
  return TWriteResult::Done;
}

namespace {

// Loads the module "browser" on the first browser; a program without it
// cannot make browsers.
std::unique_ptr<TGuiObject> MakeBrowser(const TObjectRecipe& recipe) {
  std::string error;
  const auto make = reinterpret_cast<TBrowserMaker>(ProgramModuleSymbol("browser", kBrowserMakerSymbol, error));
  TBrowserObject* browser = make ? make(&recipe, &error) : nullptr;
  if (!browser) RaiseScriptError(recipe.window.Engine(), SJ("ブラウザを作成できません。(") + error + ")");
  return std::unique_ptr<TGuiObject>(browser);
}

}  // namespace

void RegisterBrowserKind() { RegisterObjectKind(TObjectKind::Browser, MakeBrowser); }

}  // namespace nura
