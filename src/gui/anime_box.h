// The animated picture TAnimeBox: shows a sequence of frames on a timer and
// can act as a picture button (a raised edge under the pointer, inverted
// while pressed, playing only while hovered, a sound on hover).
#pragma once

#include <QColor>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

namespace nura {

class TAnimeBox : public QWidget {
  Q_OBJECT
 public:
  explicit TAnimeBox(QWidget* parent);
  ~TAnimeBox() override;

  // Appends a copy of `frame`; returns its index.
  int AddFrame(const QImage& frame);
  void ClearFrames();
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  // The frame index; -1 when stopped (frame 0 is shown).
  int FrameIndex() const { return index_; }

  void Start();
  void Stop();
  // The timer's tick: the next frame, counting the repeats at each wrap.
  void NextFrame();

  int Interval() const { return interval_; }
  void SetInterval(int milliseconds);
  bool UseButton() const { return useButton_; }
  void SetUseButton(bool on);
  bool UseButton2() const { return useButton2_; }
  void SetUseButton2(bool on);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool on);
  bool AutoStart() const { return autoStart_; }
  void SetAutoStart(bool on);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool on);
  QColor Colour() const { return colour_; }
  void SetColour(const QColor& colour);
  // The remaining repeat count; setting it sets the configured count too.
  int RepeatTime() const { return repeatRemaining_; }
  void SetRepeatTime(int count);
  // The sound played while the pointer is over the box (native path).
  const std::string& WaveFile() const { return waveFile_; }
  void SetWaveFile(const std::string& nativePath) { waveFile_ = nativePath; }
  // The box's own visibility: hiding stops, showing starts (not in hover
  // mode).
  void SetShown(bool shown);

 signals:
  // The left button went down (the box's click).
  void Pressed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // Each frame with its top-left colour made transparent.
  void ApplyTransparency();

  std::vector<QImage> frames_;
  std::vector<QImage> shown_;  // the frames as drawn (transparency applied)
  QTimer timer_;
  int index_ = -1;
  int interval_ = 300;
  int repeatConfigured_ = -1;
  int repeatRemaining_ = -1;
  bool useButton_ = false;
  bool useButton2_ = false;
  bool stretch_ = false;
  bool autoStart_ = false;
  bool transparent_ = false;
  QColor colour_ = Qt::white;
  std::string waveFile_;
  bool hovered_ = false;
  bool pressed_ = false;
  bool ownVisible_ = true;
};

}  // namespace nura
