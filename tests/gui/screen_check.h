// Looking at what a person sees: a widget rendered to an image, the
// colours at given points and where ink (pixels unlike the background)
// lies. With NURA_SCREENSHOTS set to a folder every shot is saved there.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

namespace nura::test {

// `widget` and its visible children rendered as they are painted.
QImage Shot(QWidget& widget, const char* name);
// The colour at `at`; an invalid colour outside the image.
QColor PixelAt(const QImage& image, QPoint at);
// `a` and `b` differ by at most `tolerance` in every channel.
bool Near(const QColor& a, const QColor& b, int tolerance = 24);
// The smallest rectangle of `area` that holds every pixel unlike
// `background`; empty when there is none.
QRect InkBox(const QImage& image, const QRect& area, const QColor& background);
// The pixels of `area` near `colour`.
int CountNear(const QImage& image, const QRect& area, const QColor& colour);
// The runs of adjacent pixel columns of `area` that hold ink: each glyph
// drawn apart from its neighbours is one run.
int InkRuns(const QImage& image, const QRect& area, const QColor& background);
// The platform the tests run on ("offscreen", "xcb").
bool OnRealDisplay();

}  // namespace nura::test
