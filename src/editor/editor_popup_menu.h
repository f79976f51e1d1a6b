// The editor's own context menu: row marks, undo and redo, the clipboard,
// deletion, select all and the box-selection mode. Built once per editor;
// its shortcuts are the editor's keys for these commands.
#pragma once

#include <QMenu>
#include <array>

namespace nura {

class TEditor;

class TEditorPopupMenu : public QMenu {
 public:
  explicit TEditorPopupMenu(TEditor* editor);
  // The items' enabled states and check marks from the editor's state.
  void UpdateItems();
  // Runs the enabled item whose shortcut is this key; false when no item
  // has that shortcut.
  bool RunShortcut(int virtualKey, Qt::KeyboardModifiers modifiers);

 private:
  QAction* AddItem(QMenu* menu, const char* utf8Caption, const char* shortcut, void (TEditorPopupMenu::*run)());
  void BuildMarkItems(QMenu* set, QMenu* jump);
  void Undo();
  void Redo();
  void Cut();
  void Copy();
  void Paste();
  void BoxPaste();
  void Delete();
  void SelectAll();
  void BoxMode();

  TEditor* editor_;
  std::array<QAction*, 10> setMark_{}, jumpMark_{};
  QAction *undo_ = nullptr, *redo_ = nullptr, *cut_ = nullptr, *copy_ = nullptr, *paste_ = nullptr;
  QAction *boxPaste_ = nullptr, *delete_ = nullptr, *selectAll_ = nullptr, *boxMode_ = nullptr;
};

}  // namespace nura
