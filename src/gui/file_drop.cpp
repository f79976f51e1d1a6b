#include "gui/file_drop.h"

#include <QAbstractScrollArea>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <stdexcept>

namespace nura {

TFileDrop::TFileDrop(QWidget* owner) : owner_(owner) {}

TFileDrop::~TFileDrop() { Unhook(); }

void TFileDrop::SetAccept(bool on) {
  accept_ = on;
  ApplyAccept();
}

void TFileDrop::SetControl(QWidget* control) {
  Unhook();
  disconnect(controlGone_);
  control_ = control;
  if (control) {
    // A control freed first turns the receiver off without touching it.
    controlGone_ = connect(control, &QObject::destroyed, this, [this] {
      hooked_.clear();
      accept_ = false;
    });
  }
  Hook();
}

void TFileDrop::Hook() {
  QWidget* target = control_ ? control_.data() : owner_.data();
  if (!control_ && (!target || !target->isWindow())) throw std::runtime_error("Invalidate Window Handle in FileDrop");
  QList<QWidget*> widgets{target};
  if (auto* area = qobject_cast<QAbstractScrollArea*>(target)) widgets << area->viewport();
  for (QWidget* widget : widgets) {
    hooked_.append({widget, widget->acceptDrops()});
    widget->installEventFilter(this);
  }
  ApplyAccept();
}

void TFileDrop::Unhook() {
  for (const THooked& hooked : hooked_) {
    if (!hooked.widget) continue;
    hooked.widget->removeEventFilter(this);
    hooked.widget->setAcceptDrops(hooked.acceptedDrops);
  }
  hooked_.clear();
}

void TFileDrop::ApplyAccept() {
  for (const THooked& hooked : hooked_) {
    if (hooked.widget) hooked.widget->setAcceptDrops(accept_ || hooked.acceptedDrops);
  }
}

QStringList TFileDrop::LocalFiles(const QEvent* event) {
  QStringList files;
  const QMimeData* data = static_cast<const QDropEvent*>(event)->mimeData();
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) files << url.toLocalFile();
  }
  return files;
}

bool TFileDrop::eventFilter(QObject*, QEvent* event) {
  const QEvent::Type type = event->type();
  if (!accept_ || (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)) return false;
  const QStringList files = LocalFiles(event);
  if (files.isEmpty()) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  drop->acceptProposedAction();
  if (type != QEvent::Drop || !OnFileDrop) return true;
  const QPoint at = drop->position().toPoint();
  try {
    OnFileDrop(static_cast<int>(files.size()), files, at.x(), at.y());
  } catch (const std::exception&) {
    // the receiver reports its own errors; nothing crosses Qt's dispatch
  }
  return true;
}

}  // namespace nura
