// フォーム (kind 7): a top-level window owned by the main window, with its
// inner picture "img" as drawing surface. The main window "母艦" is an
// object of this kind too; it refers to the window and never frees it.
#pragma once

#include <QPointer>

#include "gui/objects/gui_object.h"

namespace nura {

class TPictureBox;
class TfrmNura;

class TFormObject : public TGuiObject {
 public:
  TFormObject(QWidget* window, TPictureBox* picture, bool owned);
  TPictureBox* Picture() const { return picture_.data(); }

  TReadResult Read(TProperty p, TPropertyValue& out) override;
  TWriteResult Write(TProperty p, TPropertyInput& in) override;
  std::optional<std::string> Caption() const override;
  // The caption; the main window's also names the application.
  void SetCaption(const std::string& text) override;
  void Empty() override;
  QWidget* ChildArea() const override;
  QSize ContentSize() const override;
  void SetContentSize(const QSize& size) override;
  // The client area was resized: the picture follows, then the change
  // event.
  void Resized(QObject* widget) override;
  // Key preview: each key of a control on the window, once (at the
  // control that has the focus).
  bool TakesKeysFrom(QObject* watched) const override;

 protected:
  unsigned Events() const override { return kOnKeys | kOnClick | kOnDblClick | kOnMouse; }
  QList<QWidget*> EventWidgets() const override;
  bool HasColour() const override { return true; }
  bool PreviewsKeys() const override { return true; }
  // The widget that holds the inner picture and the objects.
  virtual QWidget* Client() const { return Widget(); }
  // The picture follows the size of the client area.
  virtual bool PictureFollows() const { return true; }

 private:
  QPointer<TPictureBox> picture_;
};

class TMainWindowObject : public TFormObject {
 public:
  explicit TMainWindowObject(TfrmNura& window);
  void SetCaption(const std::string& text) override;

 protected:
  QList<QWidget*> EventWidgets() const override;
  // The main window's surface keeps its own size.
  bool PictureFollows() const override { return false; }
  QWidget* Client() const override;
};

}  // namespace nura
