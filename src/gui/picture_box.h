// The picture widget: shows a persistent bitmap that drawing commands paint
// on. The main window's surface `img`, the inner picture of forms and the
// picture objects are all of this kind.
#pragma once

#include <QWidget>
#include <string>

#include "platform/bitmap.h"

namespace nura {

class TPictureBox : public QWidget {
  Q_OBJECT
 public:
  explicit TPictureBox(QWidget* parent, int width = 632, int height = 453);
  TBitmap& Bitmap() { return bitmap_; }

  // Stretch: the bitmap is drawn scaled to the widget.
  bool Stretch() const { return stretch_; }
  void SetStretch(bool on);
  // Transparent: pixels of the bitmap's lower-left colour are not drawn.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool on);
  // Shows `picture` at its own size.
  void ShowPicture(TBitmap picture);
  // An empty picture (nothing is drawn).
  void ClearPicture();
  // Fills the bitmap with a colour 0x00BBGGRR.
  void FillBitmap(int32_t colour);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TBitmap bitmap_;
  bool stretch_ = false;
  bool transparent_ = false;
};

}  // namespace nura
