// タブページ (kind 19): pages with tabs; objects lie on the active page.
// Tabs removed from the end keep their page hidden inside the control, so
// objects on it are not freed behind the script's back.
#include <QTabBar>
#include <QTabWidget>

#include "engine/sjis_text.h"
#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

class TPageControlObject : public TGuiObject {
 public:
  explicit TPageControlObject(QTabWidget* tabs) : TGuiObject(TObjectKind::PageControl, tabs, true) {}
  QTabWidget* Tabs() const { return static_cast<QTabWidget*>(Widget()); }

  // One tab per line: existing tabs renamed, missing ones added, surplus
  // ones removed from the end.
  void SetCaptions(const std::string& text) {
    const std::vector<std::string> lines = SplitLines(text);
    const int wanted = static_cast<int>(lines.size());
    for (int i = 0; i < wanted; ++i) {
      const QString caption = SjisToQString(lines[static_cast<size_t>(i)]);
      if (i < Tabs()->count()) Tabs()->setTabText(i, caption);
      else Tabs()->addTab(new QWidget, caption);
    }
    while (Tabs()->count() > wanted) {
      QWidget* page = Tabs()->widget(Tabs()->count() - 1);
      Tabs()->removeTab(Tabs()->count() - 1);
      page->setParent(Tabs());
      page->hide();
    }
  }

  TReadResult Read(TProperty p, TPropertyValue& out) override {
    switch (p) {
      case TProperty::Text: {
        std::string text;
        for (int i = 0; i < Tabs()->count(); ++i) text += QStringToSjis(Tabs()->tabText(i)) + "\r\n";
        out.Set(text, "s");
        return TReadResult::Done;
      }
      case TProperty::Value: out.Number(Tabs()->currentIndex()); return TReadResult::Done;
      default: return TGuiObject::Read(p, out);
    }
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    switch (p) {
      case TProperty::Text:
      case TProperty::Title:
        in.StoreValue();
        SetCaptions(in.Text());
        return TWriteResult::Done;
      case TProperty::Value:
        in.StoreValue();
        Tabs()->setCurrentIndex(in.Integer(0));
        return TWriteResult::Done;
      default:
        return TGuiObject::Write(p, in);
    }
  }

  QWidget* ChildArea() const override { return Tabs()->currentWidget(); }

 protected:
  unsigned Events() const override { return kOnChange | kOnMouse; }
  QList<QWidget*> EventWidgets() const override {
    QList<QWidget*> widgets = TGuiObject::EventWidgets();
    if (Tabs()) widgets << Tabs()->tabBar();
    return widgets;
  }
  void ConnectSignals() override {
    QObject::connect(Tabs(), &QTabWidget::currentChanged, Context(), [this] { Fire(kSlotChange); });
  }
};

std::unique_ptr<TGuiObject> MakePageControl(const TObjectRecipe& recipe) {
  auto* tabs = new QTabWidget(ObjectParent(recipe));
  tabs->resize(289, 193);
  return std::make_unique<TPageControlObject>(tabs);
}

}  // namespace

void RegisterPageControlKind() { RegisterObjectKind(TObjectKind::PageControl, MakePageControl); }

}  // namespace nura
