#include "gui/objects/browser_object.h"

#include <QWebEnginePage>
#include <QWebEngineView>

#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "gui/objects/object_site.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// Asks the object's site before each navigation.
class TBrowserPage : public QWebEnginePage {
 public:
  TBrowserPage(QObject* parent, TBrowserObject& object) : QWebEnginePage(parent), object_(object) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
    TObjectSite* site = object_.Site();
    if (!site) return true;
    return site->BrowserBeforeNavigate(object_.Id(), QStringToSjis(url.toString()));
  }

 private:
  TBrowserObject& object_;
};

QWebEngineView* ViewOf(const TGuiObject& object) { return static_cast<QWebEngineView*>(object.Widget()); }

}  // namespace

TBrowserObject::TBrowserObject(QWidget* view) : TGuiObject(TObjectKind::Browser, view, true) {
  auto* web = static_cast<QWebEngineView*>(view);
  web->setPage(new TBrowserPage(web, *this));
}

void TBrowserObject::Back() { ViewOf(*this)->back(); }
void TBrowserObject::Forward() { ViewOf(*this)->forward(); }

std::string TBrowserObject::Location() const { return QStringToSjis(ViewOf(*this)->url().toString()); }

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
  ViewOf(*this)->setUrl(QUrl::fromUserInput(SjisToQString(in.Text())));
  return TWriteResult::Done;
}

namespace {

std::unique_ptr<TGuiObject> MakeBrowser(const TObjectRecipe& recipe) {
  auto* view = new QWebEngineView(ObjectParent(recipe));
  view->resize(300, 150);
  return std::make_unique<TBrowserObject>(view);
}

}  // namespace

void RegisterBrowserKind() { RegisterObjectKind(TObjectKind::Browser, MakeBrowser); }

}  // namespace nura
