// The picture widget: shows a persistent bitmap that drawing commands paint
// on. The main window's surface `img`, the inner picture of forms and the
// picture objects are all of this kind. Each keeps the pen, brush and font
// of its canvas; the main window's surface takes them from the system
// variables (TDrawingHost).
#pragma once

#include <QFont>
#include <QWidget>
#include <functional>
#include <string>

#include "engine/engine_host.h"
#include "platform/gui/bitmap.h"

namespace nura {

// Pen, brush and font of a canvas; colours 0x00BBGGRR.
struct TCanvasTools {
  int32_t penColour = 0;
  int penWidth = 1;
  int32_t brushColour = 0xFFFFFF;
  bool brushClear = false;  // shapes and text without background
  QFont font;
  int32_t fontColour = 0;
};

class TPictureBox : public QWidget, public TDrawingHost {
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

  // ---- the canvas ----
  TCanvasTools& Tools() { return tools_; }
  // The bitmap to draw on: an empty picture first becomes a white bitmap
  // of the widget's size.
  TBitmap& CanvasBitmap();
  // Paints on the canvas bitmap with the pen, brush and font of the tools
  // (no antialiasing, as on a plain canvas) and shows the result.
  void Draw(const std::function<void(QPainter&)>& paint);
  // Colour of pixel (x, y); false outside the picture.
  bool PixelAt(int x, int y, int32_t& colour);
  // Sets pixel (x, y); nothing outside the picture.
  void SetPixel(int x, int y, int32_t colour);

  // TDrawingHost: the tools from the system variables; the bitmap becomes
  // 24 bits per pixel.
  void ApplyPenAndBrush(int32_t penColour, int penWidth, int32_t brushColour) override;
  void ApplyFontSettings(int32_t colour, int size, const std::string& name, int style) override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TBitmap bitmap_;
  bool stretch_ = false;
  bool transparent_ = false;
  TCanvasTools tools_;
};

// The corners of a shape as a canvas draws them: right and bottom are
// outside (a rectangle from (10,10) to (20,20) covers pixels 10 to 19).
QRect ShapeRect(int x1, int y1, int x2, int y2);

}  // namespace nura
