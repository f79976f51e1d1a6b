// TFileDrop: lets a control accept files dragged from the desktop, without
// a subclass of the control: an event filter on the control (and on the
// viewport of a scroll area) takes the drag and drop events of local
// files and passes every other event on.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

namespace nura {

class TFileDrop : public QObject {
  Q_OBJECT
 public:
  // The receiver of a drop: the number of files, their whole paths
  // (native) and the drop point in the watched widget's coordinates.
  using TFileDropEvent = std::function<void(int num, const QStringList& files, int x, int y)>;

  // `owner`: the widget watched when no control is given; it must then be
  // a window.
  explicit TFileDrop(QWidget* owner = nullptr);
  ~TFileDrop() override;

  // True (default): the watched widget takes drops.
  bool Accept() const { return accept_; }
  void SetAccept(bool on);
  // The widget to watch; nil watches the owner. Throws std::runtime_error
  // "Invalidate Window Handle in FileDrop" when that owner is no window.
  QWidget* Control() const { return control_.data(); }
  void SetControl(QWidget* control);
  TFileDropEvent OnFileDrop;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Hook();
  void Unhook();
  void ApplyAccept();
  // The local files among the dragged URLs; other URLs are skipped.
  static QStringList LocalFiles(const QEvent* event);

  QPointer<QWidget> owner_;
  QPointer<QWidget> control_;
  bool accept_ = true;
  struct THooked {
    QPointer<QWidget> widget;
    bool acceptedDrops;  // as it was before the hook
  };
  QList<THooked> hooked_;
  QMetaObject::Connection controlGone_;
};

}  // namespace nura
