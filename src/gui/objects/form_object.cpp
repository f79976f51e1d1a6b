#include "gui/objects/form_object.h"

#include <QApplication>
#include <algorithm>
#include <QScreen>

#include "engine/command_api.h"
#include "gui/main_window.h"
#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "gui/objects/object_site.h"
#include "gui/picture_box.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {

namespace {
constexpr int kMaxClient = 4096;
}  // namespace

TFormObject::TFormObject(QWidget* window, TPictureBox* picture, bool owned)
    : TGuiObject(TObjectKind::Form, window, owned), picture_(picture) {}

QList<QWidget*> TFormObject::EventWidgets() const {
  QList<QWidget*> widgets;
  if (Widget()) widgets << Widget();
  if (picture_) widgets << picture_.data();
  return widgets;
}

QWidget* TFormObject::ChildArea() const { return Client(); }

QSize TFormObject::ContentSize() const { return Client()->size(); }

// The window grows or shrinks by what its client area must change.
void TFormObject::SetContentSize(const QSize& size) {
  QWidget* window = Widget();
  // The inner picture follows the client area: a window larger than a big
  // screen would only cost memory.
  const QSize client(std::clamp(size.width(), 1, kMaxClient), std::clamp(size.height(), 1, kMaxClient));
  window->resize(client + window->size() - Client()->size());
}

void TFormObject::Resized(QObject* widget) {
  if (widget != Client()) return;
  if (picture_ && PictureFollows() && Site()) Site()->Window().FitFormImage(Widget());
  Fire(kSlotChange);
}

bool TFormObject::TakesKeysFrom(QObject* watched) const {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != Widget()) return false;
  QWidget* focus = QApplication::focusWidget();
  return focus ? widget == focus : widget == Widget();
}

void TFormObject::SetCaption(const std::string& text) { Widget()->setWindowTitle(SjisToQString(text)); }

void TFormObject::Empty() { Widget()->close(); }

std::optional<std::string> TFormObject::Caption() const { return QStringToSjis(Widget()->windowTitle()); }

TReadResult TFormObject::Read(TProperty p, TPropertyValue& out) {
  TPictureBox* picture = picture_.data();
  switch (p) {
    case TProperty::Title:
      out.Set(*Caption(), "s");
      return TReadResult::Done;
    case TProperty::Stretch:
      out.Flag(picture && picture->Stretch());
      return TReadResult::Done;
    case TProperty::Transparent:
      out.Flag(picture && picture->Transparent());
      return TReadResult::Done;
    case TProperty::Resizable:
      out.Flag(Widget()->minimumSize() != Widget()->maximumSize());
      return TReadResult::Done;
    case TProperty::Style:
      out.Number(Widget()->property("nuraBorderStyle").isValid()
                     ? Widget()->property("nuraBorderStyle").toInt()
                     : 2);
      return TReadResult::Done;
    default:
      return TGuiObject::Read(p, out);
  }
}

TWriteResult TFormObject::Write(TProperty p, TPropertyInput& in) {
  TPictureBox* picture = picture_.data();
  QWidget* window = Widget();
  switch (p) {
    case TProperty::Picture:
      in.StoreValue();
      if (!picture) return TWriteResult::Done;
      picture->ClearPicture();
      if (!in.Text().empty()) picture->ShowPicture(Site()->Window().LoadPicture(in.Text()));
      return TWriteResult::Done;
    case TProperty::Stretch:
      if (picture) picture->SetStretch(in.Integer(0) > 0);
      return TWriteResult::Done;
    case TProperty::Transparent:
      in.StoreValue();
      if (picture) picture->SetTransparent(in.Number() > 0);
      return TWriteResult::Done;
    case TProperty::Colour: {
      const int32_t colour = in.Colour(-1);
      QPalette pal = window->palette();
      pal.setColor(QPalette::Window, ColourOf(colour));
      window->setPalette(pal);
      if (picture) {
        picture->resize(Client()->size());
        picture->Bitmap().SetSize(picture->width(), picture->height(), 24);
        picture->FillBitmap(colour);
      }
      return TWriteResult::Done;
    }
    case TProperty::Resizable:
      // A sizeable frame is border style 2, a fixed single frame style 1.
      if (in.Number() >= 1) {
        window->setMinimumSize(0, 0);
        window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        window->setProperty("nuraBorderStyle", 2);
      } else {
        window->setFixedSize(window->size());
        window->setProperty("nuraBorderStyle", 1);
      }
      return TWriteResult::Done;
    case TProperty::Style: {
      const int style = in.Number();
      window->setProperty("nuraBorderStyle", style);
      if (auto* main = qobject_cast<TfrmNura*>(window)) {
        main->SetMainWindowBorderStyle(style);
        return TWriteResult::Done;
      }
      Qt::WindowFlags flags = Qt::Window;
      if (style == 0) flags |= Qt::FramelessWindowHint;
      if (style == 3) flags = Qt::Dialog;
      if (style == 4 || style == 5) flags = Qt::Tool;
      const bool visible = window->isVisible();
      window->setWindowFlags(flags);
      if (visible) window->show();
      return TWriteResult::Done;
    }
    // A window's own size never moves where the next object goes.
    case TProperty::Height:
    case TProperty::H:
      SetContentSize(QSize(ContentSize().width(), ClampExtent(in.Number())));
      return TWriteResult::Done;
    case TProperty::Size: {
      const TRect r = ParseRectangle(in.Engine(), in.Text());
      const int left = ClampCoordinate(r.left), top = ClampCoordinate(r.top);
      window->move(left, top);
      SetContentSize(QSize(ClampCoordinate(r.right) - left, ClampCoordinate(r.bottom) - top));
      return TWriteResult::Done;
    }
    default:
      return TGuiObject::Write(p, in);
  }
}

// ---- the main window ----

TMainWindowObject::TMainWindowObject(TfrmNura& window) : TFormObject(&window, window.img, false) {}

QWidget* TMainWindowObject::Client() const {
  auto* window = qobject_cast<QMainWindow*>(Widget());
  return window && window->centralWidget() ? window->centralWidget() : Widget();
}

QList<QWidget*> TMainWindowObject::EventWidgets() const {
  QList<QWidget*> widgets = TFormObject::EventWidgets();
  if (Client() != Widget()) widgets << Client();
  return widgets;
}

void TMainWindowObject::SetCaption(const std::string& text) {
  TFormObject::SetCaption(text);
  QGuiApplication::setApplicationDisplayName(SjisToQString(text));
}

// ---- creation ----

namespace {

constexpr int kFormWidth = 400, kFormHeight = 300;

std::unique_ptr<TGuiObject> MakeForm(const TObjectRecipe& recipe) {
  auto* window = new QWidget(&recipe.window, Qt::Window);
  window->setWindowIcon(recipe.window.windowIcon());
  QPalette pal = window->palette();
  pal.setColor(QPalette::Window, Qt::white);
  window->setPalette(pal);
  window->setAutoFillBackground(true);
  window->setWindowTitle(SjisToQString(recipe.caption));
  window->resize(kFormWidth, kFormHeight);
  auto* picture = new TPictureBox(window, kFormWidth, kFormHeight);
  picture->setObjectName("img");
  picture->FillBitmap(0xFFFFFF);
  auto object = std::make_unique<TFormObject>(window, picture, true);
  object->ApplyFont(recipe.fontName, recipe.fontSize, recipe.fontStyle);
  object->ApplyTextColour(recipe.fontColour);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    window->move((area.width() - window->width()) / 2, (area.height() - window->height()) / 2);
  }
  window->show();
  return object;
}

}  // namespace

void RegisterFormKind() { RegisterObjectKind(TObjectKind::Form, MakeForm); }

}  // namespace nura
