#include "gui/track_box.h"

#include <QMouseEvent>
#include <QPainter>

namespace nura {

namespace {

const Qt::CursorShape kHandleCursors[TTrackBox::kNoHandle] = {
    Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor,
    Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor,
};

}  // namespace

TTrackBox::TTrackBox(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  resize(100, 100);
}

void TTrackBox::SetTrackColor(const QColor& colour) {
  trackColor_ = colour;
  QPalette pal = palette();
  pal.setColor(QPalette::Window, colour);
  setPalette(pal);
  update();
}

void TTrackBox::SetTrackLineVisible(bool on) {
  lineVisible_ = on;
  update();
}

// Handle corners: d = w - 5, e = d / 2, f = h - 5, g = f / 2.
QRect TTrackBox::HandleRect(int i) const {
  const int w = width(), h = height();
  const int d = w - kHandleSize, e = d / 2, f = h - kHandleSize, g = f / 2;
  static const int kColumn[] = {0, 1, 2, 2, 2, 1, 0, 0};  // left, middle, right
  static const int kRow[] = {0, 0, 0, 1, 2, 2, 2, 1};     // top, middle, bottom
  const int xs[] = {0, e, d}, ys[] = {0, g, f};
  return QRect(xs[kColumn[i]], ys[kRow[i]], kHandleSize, kHandleSize);
}

int TTrackBox::HandleAt(int x, int y) const {
  int found = kNoHandle;
  for (int i = 0; i < kNoHandle; ++i) {
    const QRect r = HandleRect(i);
    if (x >= r.left() && x <= r.left() + kHandleSize && y >= r.top() && y <= r.top() + kHandleSize) found = i;
  }
  return found;
}

void TTrackBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  for (int i = 0; i < kNoHandle; ++i) painter.fillRect(HandleRect(i), trackColor_);
  if (!lineVisible_) return;
  const int w = width(), h = height();
  painter.setPen(QPen(trackColor_, 1));
  const QPoint frame[] = {{2, 2}, {w - 2, 2}, {w - 2, h - 2}, {2, h - 2}, {2, 2}};
  painter.drawPolyline(frame, 5);
}

void TTrackBox::mousePressEvent(QMouseEvent* event) {
  QWidget::mousePressEvent(event);
  raise();
  pressed_ = event->position().toPoint();
  handle_ = HandleAt(pressed_.x(), pressed_.y());
  dragMode_ = handle_ != kNoHandle ? 1 : 2;
}

// Without a drag the cursor shows the handle under the pointer. A resize
// keeps the handle it started on, so a fast drag that leaves the small
// square goes on resizing.
void TTrackBox::mouseMoveEvent(QMouseEvent* event) {
  QWidget::mouseMoveEvent(event);
  const QPoint at = event->position().toPoint();
  if (dragMode_ != 1) {
    const int under = TrackSizeEnable ? HandleAt(at.x(), at.y()) : kNoHandle;
    if (under == kNoHandle) unsetCursor();
    else setCursor(kHandleCursors[under]);
  }
  if (dragMode_ == 2) {
    move(pos() + at - pressed_);
    if (OnTrackChange) OnTrackChange(false);
  } else if (dragMode_ == 1 && TrackSizeEnable && handle_ != kNoHandle) {
    ResizeBy(handle_, at.x(), at.y());
  }
}

void TTrackBox::mouseReleaseEvent(QMouseEvent* event) {
  QWidget::mouseReleaseEvent(event);
  dragMode_ = 0;
  handle_ = kNoHandle;
}

// One resize step by `handle` to the pointer at (x, y); each step that
// passes its guard changes the box and reports it.
void TTrackBox::ResizeBy(int handle, int x, int y) {
  const int w = width(), h = height();
  QRect r = geometry();
  bool done = true;
  switch (handle) {
    case 0:
      if ((done = x < w && y < h)) r = QRect(r.left() + x, r.top() + y, w - x, h - y);
      break;
    case 1:
      if ((done = y < h)) r = QRect(r.left(), r.top() + y, w, h - y);
      break;
    case 2:
      if ((done = x + w > 0 && y < h)) r = QRect(r.left(), r.top() + y, x, h - y);
      break;
    case 3:
      if ((done = y < h)) r.setWidth(x);
      break;
    case 4:
      if ((done = x + w > 0 && y + h > 0)) r.setSize(QSize(x, y));
      break;
    case 5:
      if ((done = y + h > 0)) r.setHeight(y);
      break;
    case 6:
      if ((done = x < w && y + h > 0)) r = QRect(r.left() + x, r.top(), w - x, y);
      break;
    default:
      if ((done = x < w)) r = QRect(r.left() + x, r.top(), w - x, h);
      break;
  }
  if (!done) return;
  r.setSize(r.size().expandedTo(QSize(0, 0)));
  setGeometry(r);
  if (OnTrackChange) OnTrackChange(true);
}

}  // namespace nura
