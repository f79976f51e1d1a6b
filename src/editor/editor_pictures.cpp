#include "editor/editor_pictures.h"

#include <QCursor>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPixmap>
#include <array>

namespace nura {

namespace {

// A picture drawn with '#' (ink) and 'o' (outline) on '.' (clear).
template <size_t N>
QImage ImageFromRows(const std::array<const char*, N>& rows, int width, int height, QRgb ink, QRgb outline) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (size_t y = 0; y < N && static_cast<int>(y) < height; ++y) {
    for (int x = 0; x < width && rows[y][x]; ++x) {
      if (rows[y][x] == '#') image.setPixel(x, static_cast<int>(y), ink);
      if (rows[y][x] == 'o') image.setPixel(x, static_cast<int>(y), outline);
    }
  }
  return image;
}

// The ordinary arrow; the left-margin cursor is its mirror image.
constexpr std::array<const char*, 17> kArrow = {
    "o..........", "oo.........", "o#o........", "o##o.......", "o###o......", "o####o.....",
    "o#####o....", "o######o...", "o#######o..", "o########o.", "o#####ooooo", "o##o##o....",
    "o#o.o##o...", "oo..o##o...", "o....o##o..", ".....o##o..", "......oo..."};

// The arrow with a small box holding a plus: a copying drag.
constexpr std::array<const char*, 26> kDragSelCopy = {
    "o..........", "oo.........", "o#o........", "o##o.......", "o###o......",
    "o####o.....", "o#####o....", "o######o...", "o#######o..", "o########o.",
    "o#####ooooo", "o##o##o....", "o#o.o##o...", "oo..o##o...", "o....o##o..",
    ".....o##o..", "......oo...", "...........", "....ooooooooo", "....o###o###o",
    "....o###o###o", "....ooooooooo", "....o###o###o", "....o###o###o", "....ooooooooo", ""};

// Digits of 5 x 7 pixels, one string of 35 per digit.
constexpr std::array<const char*, 10> kDigits = {
    ".###.#...##..###.#.###..##...#.###.", "..#...##....#....#....#....#...###.",
    ".###.#...#....#..##..#....#....#####", ".###.#...#....#..##.....##...#.###.",
    "...#...##..#.#.#..#.#####...#....#.", "######....####.....#....##...#.###.",
    "..##..#...#....####.#...##...#.###.", "#####....#...#...#...#....#....#...",
    ".###.#...##...#.###.#...##...#.###.", ".###.#...##...#.####....#...#..##.."};

}  // namespace

QImage EditorCursorImage(TCursor cursor) {
  QImage picture;
  if (cursor == crRightArrow) {
    picture = ImageFromRows(kArrow, 11, 17, qRgb(255, 255, 255), qRgb(0, 0, 0)).mirrored(true, false);
  } else if (cursor == crDragSelCopy) {
    picture = ImageFromRows(kDragSelCopy, 13, 25, qRgb(255, 255, 255), qRgb(0, 0, 0));
  } else {
    return QImage();
  }
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.drawImage(cursor == crRightArrow ? 32 - picture.width() : 0, 0, picture);
  return image;
}

QCursor EditorQCursor(TCursor cursor) {
  const QImage image = EditorCursorImage(cursor);
  if (image.isNull()) return QCursor(CursorToQtShape(cursor));
  // The hot spot is the arrow's tip.
  return QCursor(QPixmap::fromImage(image), cursor == crRightArrow ? 31 : 0, 0);
}

QImage MarkDigitImage(int digit) {
  if (digit < 0 || digit > 9) return QImage();
  QImage image(8, 11, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  const char* bits = kDigits[static_cast<size_t>(digit)];
  for (int i = 0; i < 35 && bits[i]; ++i) {
    if (bits[i] == '#') image.setPixel(1 + i % 5, 2 + i / 5, qRgb(0, 0, 0));
  }
  return image;
}

QImage MarkImage(int mark) {
  if (mark < 0 || mark > 5) return QImage();
  QImage image(11, 11, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setPen(QPen(QColor(0, 0, 0), 1));
  static const QColor fills[] = {QColor(0, 0, 255), QColor(255, 0, 0), QColor(0, 128, 0),
                                 QColor(255, 128, 0), QColor(128, 0, 128), QColor(0, 128, 128)};
  p.setBrush(fills[mark]);
  switch (mark) {
    case 0: p.drawEllipse(1, 1, 8, 8); break;
    case 1: p.drawRect(1, 1, 8, 8); break;
    case 2: p.drawPolygon(QPolygon({QPoint(5, 1), QPoint(9, 9), QPoint(1, 9)})); break;
    case 3: p.drawPolygon(QPolygon({QPoint(5, 0), QPoint(10, 5), QPoint(5, 10), QPoint(0, 5)})); break;
    case 4: p.drawPolygon(QPolygon({QPoint(2, 1), QPoint(9, 4), QPoint(2, 7)})); p.drawLine(2, 1, 2, 10); break;
    default: p.drawRect(4, 1, 2, 8); p.drawRect(1, 4, 8, 2); break;
  }
  return image;
}

void DrawDotLine(QPainter& canvas, int x1, int y, TColor background, TColor dot, int x2) {
  if (x2 < x1) return;
  const QColor back = ColorToQColor(background);
  if (back.isValid()) canvas.fillRect(x1, y, x2 - x1 + 1, 1, back);
  const QColor ink = ColorToQColor(dot);
  if (!ink.isValid()) return;
  canvas.save();
  canvas.setRenderHint(QPainter::Antialiasing, false);
  QPen pen(ink, 1);
  pen.setCosmetic(true);
  pen.setCapStyle(Qt::FlatCap);
  pen.setDashPattern({1, 1});
  canvas.setPen(pen);
  canvas.drawLine(QPointF(x1, y + 0.5), QPointF(x2 + 1, y + 0.5));
  canvas.restore();
}

}  // namespace nura
