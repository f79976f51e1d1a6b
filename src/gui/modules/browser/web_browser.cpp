// The module "browser": the browser object's web view on Qt WebEngine.
#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <cstdio>
#include <unistd.h>

#include "gui/objects/browser_object.h"
#include "gui/objects/object_registry.h"
#include "gui/objects/object_site.h"
#include "platform/gui/qt_sjis.h"
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

// The web engine's own program, where the engine looks for it. Without it
// the engine would end the whole process.
bool WebEngineProcessFound() {
  const auto runnable = [](const QString& path) { return QFileInfo(path).isExecutable(); };
  const QString given = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
  if (!given.isEmpty()) return runnable(given);
  const QString name = QStringLiteral("/QtWebEngineProcess");
  return runnable(QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + name) ||
         runnable(QCoreApplication::applicationDirPath() + name);
}

// The engine's sandbox refuses to run as root and ends the process. As root
// the process already holds every right the sandbox would withhold, so the
// engine starts without it; said once on standard error.
void StartWithoutSandboxAsRoot() {
  static bool told = false;
  if (told || geteuid() != 0 || qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) return;
  told = true;
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  std::fputs("nurasera: running as root, the web engine of browser objects runs without its sandbox\n", stderr);
}

}  // namespace
}  // namespace nura

extern "C" nura::TBrowserObject* NuraMakeBrowser(const nura::TObjectRecipe* recipe, std::string* error) {
  if (!nura::WebEngineProcessFound()) {
    *error = "QtWebEngineProcess";
    *error += nura::SJ("が見つかりません");
    return nullptr;
  }
  nura::StartWithoutSandboxAsRoot();
  auto* view = new QWebEngineView(nura::ObjectParent(*recipe));
  view->resize(300, 150);
  return new nura::TWebBrowserObject(view);
}
