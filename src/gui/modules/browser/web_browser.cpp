// The module "browser": the browser object's web view on Qt WebEngine.
#include <QWebEnginePage>
#include <QWebEngineView>

#include "gui/objects/browser_object.h"
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

class TWebBrowserObject : public TBrowserObject {
 public:
  explicit TWebBrowserObject(QWebEngineView* view) : TBrowserObject(view) {
    view->setPage(new TBrowserPage(view, *this));
  }

  void Back() override { View()->back(); }
  void Forward() override { View()->forward(); }
  std::string Location() const override { return QStringToSjis(View()->url().toString()); }

 protected:
  void Navigate(const std::string& location) override {
    View()->setUrl(QUrl::fromUserInput(SjisToQString(location)));
  }

 private:
  QWebEngineView* View() const { return static_cast<QWebEngineView*>(Widget()); }
};

}  // namespace
}  // namespace nura

extern "C" nura::TBrowserObject* NuraMakeBrowser(const nura::TObjectRecipe* recipe) {
  auto* view = new QWebEngineView(nura::ObjectParent(*recipe));
  view->resize(300, 150);
  return new nura::TWebBrowserObject(view);
}
