#include "gui/objects/menu_object.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>

#include "engine/command_api.h"
#include "engine/errors.h"
#include "gui/main_window.h"
#include "gui/objects/object_site.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {

// The action is a child of the sub-item menu, so both go together.
TMenuObject::TMenuObject(QWidget* owner, const std::string& caption)
    : TGuiObject(TObjectKind::Menu, new QMenu(owner), true) {
  action_ = new QAction(SjisToQString(caption), Widget());
  Menu()->setTitle(action_->text());
}

QMenu* TMenuObject::Menu() const { return static_cast<QMenu*>(Widget()); }

void TMenuObject::AppendTo(QMenuBar& bar) { bar.addAction(action_); }

void TMenuObject::AppendTo(TMenuObject& parent) {
  parent.Menu()->addAction(action_);
  if (parent.Action() && !parent.Action()->menu()) parent.Action()->setMenu(parent.Menu());
}

void TMenuObject::ConnectSignals() {
  QObject::connect(action_, &QAction::triggered, Context(), [this] { Fire(kSlotClick); });
}

std::optional<std::string> TMenuObject::Caption() const {
  return action_ ? QStringToSjis(action_->text()) : std::string();
}

void TMenuObject::SetCaption(const std::string& text) {
  if (!action_) return;
  action_->setText(SjisToQString(text));
  Menu()->setTitle(action_->text());
}

void TMenuObject::Empty() {
  if (action_) action_->setVisible(false);
}

TReadResult TMenuObject::Read(TProperty p, TPropertyValue& out) {
  switch (p) {
    case TProperty::X: case TProperty::Y: case TProperty::Width: case TProperty::Height:
    case TProperty::W: case TProperty::H: case TProperty::Size: case TProperty::Position:
    case TProperty::Right: case TProperty::Bottom:
      return TReadResult::Unknown;
    case TProperty::Value: out.Flag(action_ && action_->isChecked()); return TReadResult::Done;
    case TProperty::Visible: out.Flag(action_ && action_->isVisible()); return TReadResult::Done;
    case TProperty::Enabled: out.Flag(action_ && action_->isEnabled()); return TReadResult::Done;
    case TProperty::Handle: out.Number(0); return TReadResult::Done;
    case TProperty::ShortCut:
      out.Set(action_ ? QStringToSjis(action_->shortcut().toString(QKeySequence::PortableText)) : "", "s");
      return TReadResult::Done;
    default:
      return TGuiObject::Read(p, out);
  }
}

TWriteResult TMenuObject::Write(TProperty p, TPropertyInput& in) {
  if (!action_) return TWriteResult::Refused;
  switch (p) {
    case TProperty::X: case TProperty::Y: case TProperty::Width: case TProperty::Height:
    case TProperty::W: case TProperty::H: case TProperty::Size: case TProperty::Position:
      return TWriteResult::Refused;
    case TProperty::Value: {
      const bool on = in.Integer(0) != 0;
      action_->setCheckable(action_->isCheckable() || on);
      action_->setChecked(on);
      return TWriteResult::Done;
    }
    case TProperty::Visible: action_->setVisible(in.Integer(0) != 0); return TWriteResult::Done;
    case TProperty::Enabled: action_->setEnabled(in.Integer(0) != 0); return TWriteResult::Done;
    case TProperty::Picture:
      in.StoreValue();
      if (in.Text().empty()) action_->setIcon(QIcon());
      else action_->setIcon(QPixmap::fromImage(Site()->Window().LoadPicture(in.Text()).ToImage()));
      return TWriteResult::Done;
    case TProperty::ShortCut: {
      const QKeySequence keys = QKeySequence::fromString(SjisToQString(in.Text()), QKeySequence::PortableText);
      bool known = keys.isEmpty() == in.Text().empty();
      for (int i = 0; i < keys.count(); ++i) known = known && keys[i].key() != Qt::Key_unknown;
      if (!known) {
        const TObjNode* node = Site()->NodeOf(Id());
        throw ENura(FormatErrorMessage(in.Engine(), "\"" + (node ? node->name : std::string()) +
                                                   SJ("\"のショートカットキーの割り当てに失敗")));
      }
      in.StoreValue();
      action_->setShortcut(keys);
      return TWriteResult::Done;
    }
    default:
      return TGuiObject::Write(p, in);
  }
}

}  // namespace nura
