// What the row list needs of each editor that shows it: the caret, the
// focus, the loading flag, change notification, repainting a row, the top
// row, and a few values of the editor's options.
#pragma once

namespace nura {

class TFountain;

class TEditorClient {
 public:
  virtual ~TEditorClient() = default;

  virtual int CaretRow() const = 0;
  virtual int CaretCol() const = 0;
  virtual void SetCaretRow(int row) = 0;
  virtual void SetCaretCol(int col) = 0;
  virtual bool Focused() const = 0;
  // While the editor reads its properties the row list does not re-wrap or
  // re-parse.
  virtual bool Loading() const = 0;
  // The text changed (the editor's change event).
  virtual void DoChange() = 0;
  // Repaints the row when it is visible.
  virtual void InvalidateTextRow(int row) = 0;
  virtual int TopRow() const = 0;
  virtual void SetTopRow(int row) = 0;

  virtual bool Destroying() const { return false; }
  // Rows on the screen (its height divided by the row height).
  virtual int VisibleRowCount() const { return 0; }
  // The fountain that colours the text; nothing parses without one.
  virtual const TFountain* ActiveFountain() const { return nullptr; }
  virtual int TabSpaceCount() const { return 8; }
  // Parse the whole text on load, not only the first screens.
  virtual bool InitBracketsFull() const { return false; }
  virtual void CleanSelection() {}
  // Takes the font metrics, updates scroll bars and caret, repaints.
  virtual void Refresh() {}
  virtual void BeginCaretUpdate() {}
  virtual void EndCaretUpdate() {}
  // Puts the caret `offset` bytes after the start of `row` (through rows).
  virtual void SetCaretByOffset(int row, int offset) {
    SetCaretRow(row);
    SetCaretCol(offset);
  }
};

}  // namespace nura
