// パネル (kind 15): a raised panel with a centred caption; other objects
// can lie on it.
#include <QFrame>
#include <QPainter>

#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// The panel draws its caption itself, so that the caption takes no mouse
// events from the panel.
class TPanelFrame : public QFrame {
 public:
  explicit TPanelFrame(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
  }
  QString caption;

 protected:
  void paintEvent(QPaintEvent* event) override {
    QFrame::paintEvent(event);
    if (caption.isEmpty()) return;
    QPainter painter(this);
    painter.drawText(contentsRect(), Qt::AlignCenter, caption);
  }
};

class TPanelObject : public TGuiObject {
 public:
  explicit TPanelObject(TPanelFrame* frame) : TGuiObject(TObjectKind::Panel, frame, true) {}
  TPanelFrame* Frame() const { return static_cast<TPanelFrame*>(Widget()); }

  std::optional<std::string> Caption() const override { return QStringToSjis(Frame()->caption); }
  void SetCaption(const std::string& text) override {
    Frame()->caption = SjisToQString(text);
    Frame()->update();
  }

  QWidget* ChildArea() const override { return Widget(); }

 protected:
  unsigned Events() const override { return kOnClick | kOnDblClick | kOnMouse; }
  bool HasColour() const override { return true; }
};

std::unique_ptr<TGuiObject> MakePanel(const TObjectRecipe& recipe) {
  auto* frame = new TPanelFrame(ObjectParent(recipe));
  frame->resize(185, 41);
  return std::make_unique<TPanelObject>(frame);
}

}  // namespace

void RegisterPanelKind() { RegisterObjectKind(TObjectKind::Panel, MakePanel); }

}  // namespace nura
