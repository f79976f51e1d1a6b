// ボタン (kind 0): a push button. A picture or a font colour is set on the
// same button (no replacement control, so a click handler never frees the
// button it runs in).
#include <QFontMetrics>
#include <QPushButton>

#include "gui/main_window.h"
#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "gui/objects/object_site.h"
#include "gui/picture_box.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

class TButtonObject : public TGuiObject {
 public:
  explicit TButtonObject(QPushButton* button) : TGuiObject(TObjectKind::Button, button, true) {}

  QPushButton* Button() const { return static_cast<QPushButton*>(Widget()); }

  std::optional<std::string> Caption() const override { return QStringToSjis(Button()->text()); }
  // The button widens to the text width + 10 when narrower.
  void SetCaption(const std::string& text) override {
    const QString caption = SjisToQString(text);
    Button()->setText(caption);
    const int needed = QFontMetrics(Button()->font()).horizontalAdvance(caption) + 10;
    if (Button()->width() < needed) Button()->resize(needed, Button()->height());
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    switch (p) {
      case TProperty::Picture: {
        in.StoreValue();
        if (in.Text().empty()) {
          Button()->setIcon(QIcon());
          return TWriteResult::Done;
        }
        const QImage image = Site()->Window().LoadPicture(in.Text()).ToImage();
        Button()->setIcon(QIcon(QPixmap::fromImage(image)));
        Button()->setIconSize(image.size());
        return TWriteResult::Done;
      }
      default:
        return TGuiObject::Write(p, in);
    }
  }

 protected:
  unsigned Events() const override { return kOnClick | kOnMouse; }
  bool ClicksBySignal() const override { return true; }
  void ConnectSignals() override {
    QObject::connect(Button(), &QPushButton::clicked, Context(), [this] { Fire(kSlotClick); });
  }
  bool HasFont() const override { return true; }
};

std::unique_ptr<TGuiObject> MakeButton(const TObjectRecipe& recipe) {
  auto* button = new QPushButton(ObjectParent(recipe));
  button->resize(75, 25);
  auto object = std::make_unique<TButtonObject>(button);
  ApplyRecipeFont(*object, recipe);
  button->setText(SjisToQString(recipe.caption));
  // At least as wide as "W" times the caption's length in bytes.
  const int w = QFontMetrics(recipe.window.font()).horizontalAdvance(QLatin1Char('W')) *
                static_cast<int>(recipe.caption.size());
  if (button->width() < w) button->resize(w, button->height());
  return object;
}

}  // namespace

void RegisterButtonKind() { RegisterObjectKind(TObjectKind::Button, MakeButton); }

}  // namespace nura
