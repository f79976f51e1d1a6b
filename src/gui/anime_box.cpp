#include "gui/anime_box.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "gui/media/wave_sound.h"

namespace nura {

TAnimeBox::TAnimeBox(QWidget* parent) : QWidget(parent) {
  resize(100, 100);
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &TAnimeBox::NextFrame);
  setAttribute(Qt::WA_Hover);
}

TAnimeBox::~TAnimeBox() {
  if (!waveFile_.empty()) StopWaveSound();
}

int TAnimeBox::AddFrame(const QImage& frame) {
  frames_.push_back(frame.convertToFormat(QImage::Format_ARGB32));
  ApplyTransparency();
  return FrameCount() - 1;
}

void TAnimeBox::ClearFrames() {
  frames_.clear();
  shown_.clear();
  update();
}

void TAnimeBox::Start() {
  if (frames_.empty()) return;
  index_ = 0;
  timer_.start(interval_);
  autoStart_ = true;
  update();
}

void TAnimeBox::Stop() {
  if (!waveFile_.empty()) StopWaveSound();
  index_ = -1;
  timer_.stop();
  autoStart_ = false;
  update();
}

void TAnimeBox::NextFrame() {
  timer_.stop();
  if (!(useButton_ && pressed_)) {
    ++index_;
    if (index_ >= FrameCount()) {
      // In hover mode frame 0 opens each hover; a single frame is all there is.
      index_ = useButton2_ && FrameCount() >= 2 ? 1 : 0;
      if (repeatRemaining_ > 0) {
        --repeatRemaining_;
        if (repeatRemaining_ < 1) {
          Stop();
          return;
        }
      }
    }
  }
  update();
  timer_.start(interval_);
}

void TAnimeBox::SetInterval(int milliseconds) {
  interval_ = milliseconds;
  if (timer_.isActive()) timer_.setInterval(milliseconds);
}

void TAnimeBox::SetUseButton(bool on) {
  useButton_ = on;
  update();
}

void TAnimeBox::SetUseButton2(bool on) {
  useButton2_ = on;
  if (on) Stop();
}

void TAnimeBox::SetStretch(bool on) {
  stretch_ = on;
  update();
}

void TAnimeBox::SetAutoStart(bool on) {
  if (on) Start();
  else Stop();
}

void TAnimeBox::SetTransparent(bool on) {
  transparent_ = on;
  ApplyTransparency();
}

void TAnimeBox::SetColour(const QColor& colour) {
  colour_ = colour;
  update();
}

void TAnimeBox::SetRepeatTime(int count) {
  repeatConfigured_ = count;
  repeatRemaining_ = count;
}

void TAnimeBox::SetShown(bool shown) {
  if (shown == ownVisible_) return;
  if (!shown) Stop();
  else if (!useButton2_) Start();
  ownVisible_ = shown;
  setVisible(shown);
  setEnabled(shown);
}

void TAnimeBox::ApplyTransparency() {
  shown_.clear();
  for (const QImage& frame : frames_) {
    QImage drawn = frame;
    if (transparent_ && !drawn.isNull()) {
      const QRgb key = drawn.pixel(0, 0);
      for (int y = 0; y < drawn.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(drawn.scanLine(y));
        for (int x = 0; x < drawn.width(); ++x)
          if (line[x] == key) line[x] = 0;
      }
    }
    shown_.push_back(std::move(drawn));
  }
  update();
}

void TAnimeBox::paintEvent(QPaintEvent*) {
  if (!ownVisible_) return;
  QPainter painter(this);
  if (transparent_) painter.fillRect(rect(), colour_);
  if (!shown_.empty()) {
    // The index never passes the last frame, whatever happened to the list.
    const int i = std::clamp(index_, 0, FrameCount() - 1);
    const QImage& frame = shown_[static_cast<size_t>(i)];
    if (stretch_) painter.drawImage(rect(), frame);
    else painter.drawImage(0, 0, frame);
  }
  if (hovered_ && useButton_) {
    const int w = width() / 24 + 1;
    const QRect r = rect();
    painter.fillRect(QRect(r.left(), r.bottom() - w + 1, r.width(), w), palette().color(QPalette::Dark));
    painter.fillRect(QRect(r.right() - w + 1, r.top(), w, r.height()), palette().color(QPalette::Dark));
    painter.fillRect(QRect(r.left(), r.top(), r.width() - w, w), palette().color(QPalette::Midlight));
    painter.fillRect(QRect(r.left(), r.top(), w, r.height() - w), palette().color(QPalette::Midlight));
  }
  if (pressed_ && (useButton_ || useButton2_)) {
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(rect(), Qt::white);
  }
}

void TAnimeBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = true;
  update();
  emit Pressed();
}

void TAnimeBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = false;
  update();
}

void TAnimeBox::enterEvent(QEnterEvent*) {
  if (!ownVisible_) return;
  if (!waveFile_.empty()) PlayWaveSound(waveFile_, true);
  if (useButton2_) {
    repeatRemaining_ = repeatConfigured_;
    Start();
  } else {
    hovered_ = true;
    update();
  }
}

void TAnimeBox::leaveEvent(QEvent*) {
  if (!waveFile_.empty()) StopWaveSound();
  if (useButton2_) {
    Stop();
  } else {
    hovered_ = false;
    update();
  }
}

}  // namespace nura
