#include "gui/objects/gui_object.h"

#include <QAbstractScrollArea>
#include <algorithm>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "engine/command_api.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "gui/file_drop.h"
#include "gui/fonts.h"
#include "gui/objects/object_site.h"
#include "gui/objects/virtual_key.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {

// ---- event bridge ----

// Carries the platform events of an object's widgets to the site. Click
// for kinds without a click signal is a button going up over the widget
// that it went down on.
class TEventBridge : public QObject {
 public:
  TEventBridge(TGuiObject& object, unsigned events, bool synthClick)
      : object_(object), events_(events), synthClick_(synthClick) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    TObjectSite* site = object_.Site();
    if (!site) return false;
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::Resize:
        if (!object_.Watches(watched)) return false;
        break;
      default:
        break;
    }
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
        // Only the widget under the pointer takes it: an event that a child
        // left unhandled and that travels up to its parent is not the
        // parent's.
        if (Deepest(watched, static_cast<QMouseEvent&>(*event))) {
          auto& mouse = static_cast<QMouseEvent&>(*event);
          const bool handled = object_.HandleMouseFirst(watched, mouse);
          Mouse(*site, watched, mouse);
          return handled;
        }
        return false;
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
        if (object_.TakesKeysFrom(watched)) Key(*site, static_cast<QKeyEvent&>(*event));
        return false;
      case QEvent::Resize:
        object_.Resized(watched);
        return false;
      default:
        return false;
    }
  }

 private:
  static bool Deepest(QObject* watched, const QMouseEvent& e) {
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->childAt(e.position().toPoint()) == nullptr;
  }

  void Mouse(TObjectSite& site, QObject* watched, QMouseEvent& e) {
    const int id = object_.Id();
    const QPoint at = e.position().toPoint();
    const bool dbl = e.type() == QEvent::MouseButtonDblClick;
    const unsigned shift = ShiftFlags(e.modifiers(), e.buttons(), dbl);
    switch (e.type()) {
      case QEvent::MouseButtonPress:
        pressedOn_ = watched;
        if (events_ & kOnMouseDown) site.MouseEvent(id, kSlotMouseDown, at, shift);
        return;
      case QEvent::MouseButtonRelease: {
        const bool click = synthClick_ && pressedOn_ == watched;
        pressedOn_ = nullptr;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (events_ & kOnMouseUp) site.MouseEvent(id, kSlotMouseUp, at, shift);
        if (click && (events_ & kOnClick) && widget && widget->rect().contains(at))
          site.PlainEvent(id, kSlotClick);
        return;
      }
      case QEvent::MouseButtonDblClick:
        if (events_ & kOnDblClick) site.MouseEvent(id, kSlotDblClick, at, shift);
        return;
      default:
        if (events_ & kOnMouseMove) site.MouseEvent(id, kSlotMouseMove, at, shift);
        return;
    }
  }

  void Key(TObjectSite& site, QKeyEvent& e) {
    const bool press = e.type() == QEvent::KeyPress;
    if (!press && e.isAutoRepeat()) return;  // held keys repeat their press only
    if (!(events_ & (press ? kOnKeyDown : kOnKeyUp))) return;
    site.KeyEvent(object_.Id(), press ? kSlotKeyDown : kSlotKeyUp, VirtualKeyOf(e),
                  ShiftFlags(e.modifiers(), Qt::NoButton, false));
  }

  TGuiObject& object_;
  unsigned events_;
  bool synthClick_;
  QObject* pressedOn_ = nullptr;
};

// ---- object ----

TGuiObject::TGuiObject(TObjectKind kind, QWidget* widget, bool owned)
    : kind_(kind), widget_(widget), owned_(owned) {}

// The bridge goes first: no event or signal reaches a freed object.
TGuiObject::~TGuiObject() {
  fileDrop_.reset();
  delete bridge_.data();
  if (owned_ && widget_) delete widget_.data();
}

void TGuiObject::Attach(TObjectSite& site, int id) {
  site_ = &site;
  id_ = id;
  if (!widget_) return;
  bridge_ = new TEventBridge(*this, Events(), !ClicksBySignal());
  bridge_->setParent(widget_.data());
  if (PreviewsKeys()) qApp->installEventFilter(bridge_);
  for (QWidget* w : EventWidgets()) Watch(w);
  ConnectSignals();
}

void TGuiObject::Watch(QWidget* widget) {
  if (!bridge_ || !widget) return;
  if (!PreviewsKeys()) widget->installEventFilter(bridge_);
  if (Events() & kOnMouseMove) widget->setMouseTracking(true);
}

bool TGuiObject::Watches(QObject* watched) const {
  auto* widget = qobject_cast<QWidget*>(watched);
  return widget && EventWidgets().contains(widget);
}

QList<QWidget*> TGuiObject::EventWidgets() const {
  QList<QWidget*> widgets;
  if (!widget_) return widgets;
  widgets << widget_.data();
  if (auto* area = qobject_cast<QAbstractScrollArea*>(widget_.data())) widgets << area->viewport();
  return widgets;
}

void TGuiObject::Fire(int slot) {
  if (site_) site_->PlainEvent(id_, slot);
}

// A key that the focused child left unhandled travels up to its parents;
// it is the child's event, not theirs.
bool TGuiObject::TakesKeysFrom(QObject* watched) const {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget) return false;
  QWidget* focus = QApplication::focusWidget();
  if (!focus || focus == widget || !widget->isAncestorOf(focus)) return true;
  return EventWidgets().contains(focus);
}

// One receiver per control, however often reception is switched on; off
// turns acceptance off, detaches and frees it.
void TGuiObject::AcceptFileDrops(bool on) {
  if (!on) {
    if (fileDrop_) fileDrop_->SetAccept(false);
    fileDrop_.reset();
    return;
  }
  if (fileDrop_ || !widget_) return;
  fileDrop_ = std::make_unique<TFileDrop>();
  fileDrop_->OnFileDrop = [this](int, const QStringList& files, int, int) {
    if (site_) site_->FilesDropped(id_, files);
  };
  fileDrop_->SetControl(widget_.data());
}

QSize TGuiObject::ContentSize() const { return Widget()->size(); }

void TGuiObject::SetContentSize(const QSize& size) {
  Widget()->resize(ClampExtent(size.width()), ClampExtent(size.height()));
}

int ClampCoordinate(int value) { return std::clamp(value, -32768, 32767); }
int ClampExtent(int value) { return std::clamp(value, 0, 32767); }

void TGuiObject::ApplyFont(const std::string& name, int size, int style) {
  QWidget* w = FontWidget();
  QFont font = w->font();
  if (!name.empty()) font.setFamily(SjisToQString(name));
  if (size > 0) font.setPointSize(ClampFontSize(size));
  SetFontStyle(font, style);
  w->setFont(font);
}

void TGuiObject::ApplyTextColour(int32_t colour) {
  QWidget* w = FontWidget();
  QPalette pal = w->palette();
  const QColor c = ColourOf(colour);
  pal.setColor(QPalette::WindowText, c);
  pal.setColor(QPalette::Text, c);
  pal.setColor(QPalette::ButtonText, c);
  w->setPalette(pal);
}

namespace {

std::string Pair(int a, int b) { return "(" + std::to_string(a) + "," + std::to_string(b) + ")"; }

}  // namespace

TReadResult TGuiObject::Read(TProperty p, TPropertyValue& out) {
  QWidget* frame = Widget();
  const QSize size = ContentSize();
  const int gap = site_ ? site_->PlacementGap() : 8;
  switch (p) {
    case TProperty::X: out.Number(frame->x()); break;
    case TProperty::Y: out.Number(frame->y()); break;
    case TProperty::Width:
    case TProperty::W: out.Number(size.width()); break;
    case TProperty::Height:
    case TProperty::H: out.Number(size.height()); break;
    case TProperty::Size:
      out.Set("(" + std::to_string(frame->x()) + "," + std::to_string(frame->y()) + "," +
                  std::to_string(frame->x() + size.width()) + "," +
                  std::to_string(frame->y() + size.height()) + ")",
              "s");
      break;
    case TProperty::Position: out.Set(Pair(frame->x(), frame->y()), "s"); break;
    case TProperty::Right: out.Set(Pair(frame->x() + size.width() + gap, frame->y()), "s"); break;
    case TProperty::Bottom: out.Set(Pair(frame->x(), frame->y() + size.height() + gap), "s"); break;
    case TProperty::Text:
      if (const std::optional<std::string> caption = Caption()) {
        out.Set(*caption, "s");
        break;
      }
      return TReadResult::WordValue;
    case TProperty::Title:
    case TProperty::Picture:
    case TProperty::AddPicture:
      return TReadResult::WordValue;
    case TProperty::Items:
      out.Set(ChildArea() && site_ ? site_->NamesOn(*ChildArea()) : "", "s");
      break;
    case TProperty::ShortCut:
    case TProperty::Sound:
    case TProperty::SelText:
    case TProperty::Url:
      out.Set("", "s");
      break;
    case TProperty::Value:
    case TProperty::Maximum:
    case TProperty::Minimum:
    case TProperty::Transparent:
    case TProperty::Resizable:
    case TProperty::RepeatCount:
    case TProperty::SelStart:
    case TProperty::SelLength:
    case TProperty::Style:
    case TProperty::Ime:
      out.Number(0);
      break;
    case TProperty::Visible: out.Flag(!frame->isHidden()); break;
    case TProperty::Enabled: out.Flag(frame->isEnabled()); break;
    case TProperty::Colour:
      if (HasColour() && ReadsColour()) out.Number(ColourValue(Widget()->palette().color(ColourRole())));
      else out.Number(0);
      break;
    case TProperty::FontName:
      out.Set(HasFont() ? QStringToSjis(FontWidget()->font().family()) : "", "s");
      break;
    case TProperty::FontSize: out.Number(HasFont() ? FontWidget()->font().pointSize() : 0); break;
    case TProperty::FontColour:
      out.Number(HasFont() ? ColourValue(FontWidget()->palette().color(QPalette::WindowText)) : 0);
      break;
    case TProperty::FileDrop: out.text.clear(); break;
    case TProperty::Handle:
      // The control's native window, made on first request.
      out.Number(static_cast<long long>(frame->winId()));
      break;
    default:
      return TReadResult::Unknown;
  }
  return TReadResult::Done;
}

TWriteResult TGuiObject::Write(TProperty p, TPropertyInput& in) {
  QWidget* frame = Widget();
  const int gap = site_ ? site_->PlacementGap() : 8;
  switch (p) {
    case TProperty::X: frame->move(ClampCoordinate(in.Number()), frame->y()); break;
    case TProperty::Y: frame->move(frame->x(), ClampCoordinate(in.Number())); break;
    case TProperty::Width:
    case TProperty::W:
      SetContentSize(QSize(in.Number(), ContentSize().height()));
      if (site_ && site_->Centring()) site_->CentreInParent(*frame);
      break;
    case TProperty::Height:
    case TProperty::H: {
      const int h = ClampExtent(in.Number());
      SetContentSize(QSize(ContentSize().width(), h));
      SetNextObjectPosition(in.Engine(), frame->x(), frame->y() + h + gap);
      break;
    }
    case TProperty::Size: {
      const TRect r = ParseRectangle(in.Engine(), in.Text());
      const int left = ClampCoordinate(r.left), top = ClampCoordinate(r.top);
      const int bottom = ClampCoordinate(r.bottom);
      frame->move(left, top);
      SetContentSize(QSize(ClampCoordinate(r.right) - left, bottom - top));
      if (site_ && site_->Centring()) site_->CentreInParent(*frame);
      SetNextObjectPosition(in.Engine(), left, bottom + gap);
      break;
    }
    case TProperty::Position: {
      int x = 0, y = 0;
      ParseCoordinates(in.Engine(), in.Text(), x, y);
      frame->move(ClampCoordinate(x), ClampCoordinate(y));
      break;
    }
    case TProperty::Text:
    case TProperty::Title:
      in.StoreValue();
      if (!Caption()) return TWriteResult::Refused;
      SetCaption(in.Text());
      break;
    case TProperty::Value:
    case TProperty::Picture:
      // The word's value is stored before the kind refuses.
      in.StoreValue();
      return TWriteResult::Refused;
    case TProperty::Visible: frame->setVisible(in.Integer(0) != 0); break;
    case TProperty::Enabled: frame->setEnabled(in.Integer(0) != 0); break;
    case TProperty::Colour: {
      if (!HasColour()) return TWriteResult::Unknown;
      QPalette pal = Widget()->palette();
      pal.setColor(ColourRole(), ColourOf(in.Colour(-1)));
      Widget()->setPalette(pal);
      Widget()->setAutoFillBackground(true);
      break;
    }
    case TProperty::FontName: {
      if (!HasFont()) return TWriteResult::Unknown;
      int style = 0, size = 0;
      const std::string name = ParseFontText(in.Engine(), in.Text(), style, size);
      if (size <= 0) size = StrictInteger(WordValue(in.Engine(), SJ("文字サイズ")), 9);
      ApplyFont(name, size, style);
      break;
    }
    case TProperty::FontSize: {
      if (!HasFont()) return TWriteResult::Unknown;
      QFont font = FontWidget()->font();
      const int size = in.Integer(9);
      if (size > 0) font.setPointSize(ClampFontSize(size));
      FontWidget()->setFont(font);
      break;
    }
    case TProperty::FontColour:
      if (!HasFont()) return TWriteResult::Unknown;
      ApplyTextColour(in.Colour(0));
      break;
    case TProperty::FileDrop: AcceptFileDrops(TrimText(in.Text()) != "0"); break;
    case TProperty::Items:
      if (!ChildArea() || !site_) return TWriteResult::Unknown;
      for (const std::string& line : SplitLines(in.Text())) site_->MoveOnto(*this, TrimText(line));
      break;
    default:
      return TWriteResult::Unknown;
  }
  return TWriteResult::Done;
}

TReadResult TGuiObject::ReadValue(TPropertyValue& out) {
  const std::optional<std::string> caption = Caption();
  if (!caption) return TReadResult::Unknown;
  out.Set(*caption, "s");
  return TReadResult::Done;
}

void TGuiObject::AssignValue(TPropertyInput& in) {
  if (Caption()) SetCaption(in.Text());
}

TGuiObject* GuiObjectOf(TScriptObject* object) { return dynamic_cast<TGuiObject*>(object); }

TGuiObject& LiveObjectNamed(TNuraEngine& engine, const std::string& name) {
  const TObjNode* node = ObjectList(engine).FindByName(name);
  TGuiObject* object = node ? GuiObjectOf(node->Control()) : nullptr;
  if (!object || !object->Alive()) RaiseScriptError(engine, SJ("オブジェクト\"") + name + SJ("\"は、作成されていません。"));
  return *object;
}

QColor ColourOf(int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                static_cast<int>((v >> 16) & 0xFF));
}

int32_t ColourValue(const QColor& colour) {
  return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

}  // namespace nura
