// The main window's picture services: loading and saving through the
// codecs installed at start-up, and the inner picture of form objects.
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>

#include "engine/command_api.h"
#include "gui/main_window.h"
#include "gui/objects/gui_object.h"
#include "gui/picture_codecs.h"
#include "platform/sjis.h"

namespace nura {
namespace {

PictureCodecsFactory& Factory() {
  static PictureCodecsFactory factory;
  return factory;
}

}  // namespace

void SetPictureCodecsFactory(PictureCodecsFactory factory) { Factory() = std::move(factory); }
const PictureCodecsFactory& GetPictureCodecsFactory() { return Factory(); }

QSize ClientSizeOf(const QWidget* form) {
  if (const auto* window = qobject_cast<const QMainWindow*>(form)) {
    const QWidget* menu = window->menuWidget();
    const int menuHeight = menu && !menu->isHidden() ? menu->sizeHint().height() : 0;
    return QSize(window->width(), std::max(0, window->height() - menuHeight));
  }
  return form->contentsRect().size();
}

TBitmap TfrmNura::LoadPicture(const std::string& name) {
  if (!codecs_) RaiseScriptError(*engine_, SJ("画像ファイル\"") + name + SJ("\"が読込めません。"));
  return codecs_->LoadPicture(*this, name);
}

void TfrmNura::SavePicture(const std::string& objectName, const std::string& fileName, bool confirm) {
  if (!codecs_) {
    RaiseScriptError(*engine_, SJ("ファイル\"") + fileName + SJ("\"の、読み込みか書き込みに、失敗しました。"));
  }
  codecs_->SavePicture(*this, objectName, fileName, confirm);
}

TPictureBox* TfrmNura::GetFormImage(QWidget* form) {
  TPictureBox* inner = form ? form->findChild<TPictureBox*>("img") : nullptr;
  if (!inner) RaiseScriptError(*engine_, SJ("オブジェクト\"フォームのimg\"は、作成されていません。"));
  return inner;
}

void TfrmNura::FitFormImage(QWidget* form) {
  try {
    TPictureBox* inner = GetFormImage(form);
    const QSize size = ClientSizeOf(form);
    inner->resize(size);
    TBitmap& picture = inner->Bitmap();
    if (picture.Width() != size.width() || picture.Height() != size.height()) {
      TBitmap fitted(size.width(), size.height(), 24);
      fitted.Fill(BgrFromColor(form->palette().color(QPalette::Window)));
      QImage view = fitted.View();
      if (!view.isNull() && !picture.Empty()) QPainter(&view).drawImage(0, 0, picture.ToImage());
      picture = std::move(fitted);
    }
    inner->update();
  } catch (const std::exception&) {
    // a form that cannot take the size keeps its picture
  }
}

TPictureHost* PictureHostOf(TNuraEngine& engine) { return dynamic_cast<TPictureHost*>(&EngineHost(engine)); }

QWidget* WidgetOfObject(const TObjNode& object) {
  const TGuiObject* control = GuiObjectOf(object.Control());
  return control ? control->Widget() : nullptr;
}

TPictureBox* TfrmNura::PictureBoxOf(const TObjNode& object) {
  QWidget* widget = WidgetOfObject(object);
  if (!widget) return nullptr;
  if (object.kind == TObjectKind::Image) return qobject_cast<TPictureBox*>(widget);
  if (object.kind == TObjectKind::Form) return widget->findChild<TPictureBox*>("img");
  return nullptr;
}

TPictureBox* TfrmNura::ImageOfObject(const std::string& name) {
  const TObjNode* object = ObjectList(*engine_).FindByName(name);
  if (!object) RaiseScriptError(*engine_, SJ("オブジェクト\"") + name + SJ("\"は、作成されていません。"));
  TPictureBox* box = nullptr;
  if (object->kind == TObjectKind::Form) box = GetFormImage(WidgetOfObject(*object));
  else if (object->kind == TObjectKind::Image) box = PictureBoxOf(*object);
  if (!box) RaiseScriptError(*engine_, "\"" + name + SJ("\"は、イメージではありません。"));
  return box;
}

}  // namespace nura
