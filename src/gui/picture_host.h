// What the image code (its codecs and commands) reaches of the main window:
// the pictures of image and form objects, the window's own surface and its
// widget, and saving a picture. The main window implements it as part of
// the engine's host, so the image code needs neither its class nor its
// header.
#pragma once

#include <string>

class QWidget;

namespace nura {

class TNuraEngine;
class TPictureBox;
struct TObjNode;

class TPictureHost {
 public:
  virtual ~TPictureHost() = default;
  virtual TNuraEngine& Engine() = 0;
  // The window itself, and its drawing surface "img" (nil before it exists).
  virtual QWidget& WindowWidget() = 0;
  virtual TPictureBox* Surface() = 0;
  // Writes the picture of an image or form object to a file or the
  // clipboard; `confirm` asks the security confirmation first.
  virtual void SavePicture(const std::string& objectName, const std::string& fileName, bool confirm) = 0;
  // The inner picture "img" of a form; ENura when it has none.
  virtual TPictureBox* GetFormImage(QWidget* form) = 0;
  // Makes the inner picture as large as the form's client area, keeping
  // the picture at 0,0 and filling new area with the form's colour.
  virtual void FitFormImage(QWidget* form) = 0;
  // The picture that an image object (kind 2) or a form object (kind 7)
  // shows; nil for other kinds or when it cannot be reached.
  virtual TPictureBox* PictureBoxOf(const TObjNode& object) = 0;
  // The picture of the image or form object named `name` (exact name):
  // "オブジェクト"%s"は、作成されていません。" when no object has it,
  // ""%s"は、イメージではありません。" for another kind.
  virtual TPictureBox* ImageOfObject(const std::string& name) = 0;
};

// The pictures of the window that hosts `engine`; nil when a test or
// console host without a window runs it.
TPictureHost* PictureHostOf(TNuraEngine& engine);

// The widget of a script object; nil when it has none or it is gone.
QWidget* WidgetOfObject(const TObjNode& object);

}  // namespace nura
