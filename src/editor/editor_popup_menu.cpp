#include "editor/editor_popup_menu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "editor/editor_control.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"
#include "platform/gui/virtual_keys.h"

namespace nura {

TEditorPopupMenu::TEditorPopupMenu(TEditor* editor) : QMenu(editor), editor_(editor) {
  BuildMarkItems(addMenu(QString::fromUtf8("マーク設定")), addMenu(QString::fromUtf8("マークジャンプ")));
  addSeparator();
  undo_ = AddItem(this, "元に戻す(&U)", "Ctrl+Z", &TEditorPopupMenu::Undo);
  redo_ = AddItem(this, "やり直し(&R)", "Ctrl+A", &TEditorPopupMenu::Redo);
  addSeparator();
  cut_ = AddItem(this, "切り取り(&T)", "Ctrl+X", &TEditorPopupMenu::Cut);
  copy_ = AddItem(this, "コピー(&C)", "Ctrl+C", &TEditorPopupMenu::Copy);
  paste_ = AddItem(this, "貼り付け(&P)", "Ctrl+V", &TEditorPopupMenu::Paste);
  boxPaste_ = AddItem(this, "Box貼り付け(&B)", "Ctrl+B", &TEditorPopupMenu::BoxPaste);
  delete_ = AddItem(this, "削除(&D)", nullptr, &TEditorPopupMenu::Delete);
  addSeparator();
  selectAll_ = AddItem(this, "すべて選択(&A)", nullptr, &TEditorPopupMenu::SelectAll);
  addSeparator();
  boxMode_ = AddItem(this, "Box選択モード(&K)", "Ctrl+K", &TEditorPopupMenu::BoxMode);
  boxMode_->setCheckable(true);
  connect(this, &QMenu::aboutToShow, this, &TEditorPopupMenu::UpdateItems);
}

// An item starts disabled; its shortcut is matched by RunShortcut, so it is
// not registered with Qt's own shortcut map (that would run it twice).
QAction* TEditorPopupMenu::AddItem(QMenu* menu, const char* utf8Caption, const char* shortcut,
                                   void (TEditorPopupMenu::*run)()) {
  QAction* item = menu->addAction(QString::fromUtf8(utf8Caption));
  if (shortcut) item->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
  item->setShortcutContext(Qt::WidgetShortcut);
  item->setEnabled(false);
  if (run) connect(item, &QAction::triggered, this, run);
  return item;
}

void TEditorPopupMenu::BuildMarkItems(QMenu* set, QMenu* jump) {
  for (int m = 0; m < 10; ++m) {
    const QString digit = QString::number(m);
    setMark_[m] = AddItem(set, digit.toUtf8().constData(), nullptr, nullptr);
    setMark_[m]->setShortcut(QKeySequence(QStringLiteral("Shift+Ctrl+") + digit));
    jumpMark_[m] = AddItem(jump, digit.toUtf8().constData(), nullptr, nullptr);
    jumpMark_[m]->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + digit));
    connect(setMark_[m], &QAction::triggered, this, [this, m] {
      const int row = editor_->Row();
      if (editor_->GetRowMarks(row) & (1 << m)) {
        editor_->DeleteRowMark(row, m);
      } else {
        editor_->PutRowMark(row, m);
      }
    });
    connect(jumpMark_[m], &QAction::triggered, this, [this, m] { editor_->GotoRowMark(m); });
  }
}

void TEditorPopupMenu::UpdateItems() {
  const bool selected = editor_->GetSelLength() > 0, readOnly = editor_->ReadOnly();
  const bool canPaste = TEditor::ClipboardHasText() && !readOnly;
  undo_->setEnabled(editor_->CanUndo() && !readOnly);
  redo_->setEnabled(editor_->CanRedo() && !readOnly);
  cut_->setEnabled(selected && !readOnly);
  copy_->setEnabled(selected);
  paste_->setEnabled(canPaste);
  boxPaste_->setEnabled(canPaste);
  delete_->setEnabled(selected && !readOnly);
  selectAll_->setEnabled(editor_->TextLength() > 0);
  boxMode_->setEnabled(true);
  boxMode_->setChecked(editor_->SelectionMode() == 1);
  int used = 0;
  for (int r = 0; r < editor_->RowCount(); ++r) used |= editor_->GetRowMarks(r) & 0x3FF;
  for (int m = 0; m < 10; ++m) {
    for (QAction* item : {setMark_[m], jumpMark_[m]}) {
      item->setEnabled(true);
      item->setCheckable(true);
      item->setChecked(used & (1 << m));
    }
  }
}

bool TEditorPopupMenu::RunShortcut(int virtualKey, Qt::KeyboardModifiers modifiers) {
  bool keypad = false;
  const Qt::Key key = msg::QtKeyOfVirtualKey(virtualKey, keypad);
  if (key == Qt::Key_unknown) return false;
  const QKeyCombination pressed(modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), key);
  QList<QAction*> items{undo_, redo_, cut_, copy_, paste_, boxPaste_, boxMode_};
  for (int m = 0; m < 10; ++m) items << setMark_[m] << jumpMark_[m];
  for (QAction* item : items) {
    if (item->shortcut().isEmpty() || item->shortcut()[0] != pressed) continue;
    UpdateItems();
    if (item->isEnabled()) item->trigger();
    return true;
  }
  return false;
}

void TEditorPopupMenu::Undo() { editor_->Undo(); }
void TEditorPopupMenu::Redo() { editor_->Redo(); }
void TEditorPopupMenu::Cut() { editor_->CutToClipboard(); }
void TEditorPopupMenu::Copy() { editor_->CopyToClipboard(); }
void TEditorPopupMenu::Paste() { editor_->PasteFromClipboard(); }

// The clipboard's text as a box, whatever formats it holds.
void TEditorPopupMenu::BoxPaste() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data && data->hasText()) editor_->InsertBox(QStringToSjis(data->text()));
}

void TEditorPopupMenu::Delete() { editor_->DeleteSelection(); }
void TEditorPopupMenu::SelectAll() { editor_->SelectAll(); }
void TEditorPopupMenu::BoxMode() { editor_->SetSelectionMode(boxMode_->isChecked() ? 1 : 0); }

}  // namespace nura
