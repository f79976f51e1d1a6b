// パネル (kind 15): a raised panel with a centred caption; other objects
// can lie on it.
#include <QFrame>
#include <QPainter>

#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
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

  void SetCaption(const std::string& text) {
    Frame()->caption = SjisToQString(text);
    Frame()->update();
  }

  TReadResult Read(TProperty p, TPropertyValue& out) override {
    if (p == TProperty::Text) return ReadValue(out);
    return TGuiObject::Read(p, out);
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    if (p == TProperty::Text || p == TProperty::Title) {
      in.StoreValue();
      SetCaption(in.Text());
      return TWriteResult::Done;
    }
    return TGuiObject::Write(p, in);
  }

  TReadResult ReadValue(TPropertyValue& out) override {
    out.Set(QStringToSjis(Frame()->caption), "s");
    return TReadResult::Done;
  }
  void AssignValue(TPropertyInput& in) override { SetCaption(in.Text()); }
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
