// TTrackBox: a frame that the user moves by dragging its inside and
// resizes by dragging one of eight grab handles, like a selection frame in
// a drawing program. Only the handles and the frame line are painted; the
// inside shows what lies beneath.
#pragma once

#include <QColor>
#include <QWidget>
#include <functional>

namespace nura {

class TTrackBox : public QWidget {
  Q_OBJECT
 public:
  // Handles are squares of this many pixels.
  static constexpr int kHandleSize = 5;
  static constexpr int kNoHandle = 8;

  explicit TTrackBox(QWidget* parent);

  QColor TrackColor() const { return trackColor_; }
  void SetTrackColor(const QColor& colour);
  bool TrackLineVisible() const { return lineVisible_; }
  void SetTrackLineVisible(bool on);
  // True: the handles resize; false: the box can only be moved.
  bool TrackSizeEnable = true;
  // After every move step (false) or resize step (true).
  std::function<void(bool resized)> OnTrackChange;

  // The handle (0 top-left, then clockwise to 7 left) whose square holds
  // (x, y), borders included; a later one in that order wins. kNoHandle
  // when none does.
  int HandleAt(int x, int y) const;
  // The square of handle `i` as it is painted.
  QRect HandleRect(int i) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void ResizeBy(int handle, int x, int y);

  QColor trackColor_ = Qt::black;
  bool lineVisible_ = true;
  int dragMode_ = 0;  // 0 none, 1 resizing, 2 moving
  int handle_ = kNoHandle;
  QPoint pressed_;
};

}  // namespace nura
