// The text editor control: a custom-drawn widget over the row list. It
// keeps the caret (a screen row and a display column), the selection and
// the scroll position, paints rows, marks, ruler and bars itself, and
// changes the text only through the row list's one replacement, so every
// change is one undo step.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "editor/editor_client.h"
#include "editor/editor_font.h"
#include "editor/editor_options.h"
#include "editor/editor_strings.h"
#include "editor/editor_view_info.h"
#include "editor/screen_strings.h"

namespace nura {

enum class TEditorHitStyle { hsSelect, hsDraw, hsCaret };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TBorderStyle { bsNone, bsSingle };

class TFountain;
class TEditorPopupMenu;

// A list of pictures for the image bar (ImageDigits, ImageMarks). An
// editor that shows one forgets it when it is destroyed.
class TEditorImageList : public QObject {
 public:
  std::vector<QImage> images;
};

// The selection: anchor, byte range (end byte inclusive) and display range
// (end column exclusive).
struct TEditorSelection {
  int state = 0;  // 0 none, 1 anchored, 2 ordinary, 3 search hit
  int anchorRow = 0, anchorByte = 0, anchorCol = 0;
  int startRow = 0, endRow = 0, startByte = 0, endByte = 0;
  int startRowCol = 0, endRowCol = 0, startCol = 0, endCol = 0;
  int hitLength = 0;
};

class TEditor : public QAbstractScrollArea, public TEditorClient {
 public:
  static constexpr int kMaxColumn = 1000;

  explicit TEditor(QWidget* parent = nullptr);
  ~TEditor() override;

  // ---- options ----
  TEditorCaret& Caret() { return caret_; }
  TEditorMarks& Marks() { return marks_; }
  TEditorMargin& Margin() { return margin_; }
  TEditorImagebar& Imagebar() { return imagebar_; }
  TEditorLeftbar& Leftbar() { return leftbar_; }
  TEditorRuler& Ruler() { return ruler_; }
  TEditorSpeed& Speed() { return speed_; }
  TEditorViewInfo& View() { return view_; }
  TEditorWrapOption& WrapOption() { return list_->WrapOption(); }
  TColor Color() const { return color_; }
  void SetColor(TColor c);
  TEditorHitStyle HitStyle() const { return hitStyle_; }
  void SetHitStyle(TEditorHitStyle style);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle style);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);
  // A colouring set from outside; nothing: the view's own.
  TFountain* Fountain() const { return fountain_; }
  void SetFountain(TFountain* fountain);
  TEditorImageList* ImageDigits() const { return imageDigits_; }
  void SetImageDigits(TEditorImageList* list);
  TEditorImageList* ImageMarks() const { return imageMarks_; }
  void SetImageMarks(TEditorImageList* list);
  bool WordWrap() const { return list_->WordWrap(); }
  void SetWordWrap(bool on) { list_->SetWordWrap(on); }
  bool ReadOnly() const { return readOnly_; }
  // Ignored while a selection is dragged.
  void SetReadOnly(bool on);
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool on) { wantReturns_ = on; }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool on) { wantTabs_ = on; }
  int UndoListMax() const { return list_->UndoObj().UndoListMax(); }
  void SetUndoListMax(int n) { list_->UndoObj().SetUndoListMax(n); }
  std::vector<std::string> ReserveWordList() const { return view_.Fountain().ReserveWordList(); }
  void SetReserveWordList(const std::vector<std::string>& words);
  // The font; a change re-measures rows and columns.
  TEditorFont& Font() { return font_; }

  // ---- text and positions (byte offsets of the whole text, CR LF two) ----
  TEditorScreenStrings& List() { return *list_; }
  TEditorStrings& Lines() { return *lines_; }
  std::string Text() const { return list_->Text(); }
  void SetText(std::string_view text) { lines_->SetTextStr(text); }
  void Clear() { lines_->Clear(); }
  // Shows the text of `other` (both editors then change one row list);
  // each keeps its own caret, selection, scroll position and options.
  void ShareRowList(TEditor* other);
  bool Modified() const { return modified_; }
  void SetModified(bool on) { modified_ = on; }
  int GetSelStart() const;
  void SetSelStart(int offset);
  int GetSelLength() const;
  void SetSelLength(int length);
  std::string GetSelText() const;
  void SetSelText(std::string_view text);
  int Col() const { return caretCol_; }
  void SetCol(int col);
  int Row() const { return caretRow_; }
  void SetRow(int row);
  void SetRowCol(int row, int col);
  int RowCount() const { return list_->GetCount(); }
  int TopCol() const { return topCol_; }
  void SetTopCol(int col);
  int VisibleColCount() const { return visibleCols_; }

  // ---- selection ----
  const TEditorSelection& Selection() const { return sel_; }
  bool HasSelection() const { return sel_.state == 2 || sel_.state == 3; }
  bool HasPlainSelection() const { return sel_.state == 2; }
  bool HasHitSelection() const { return sel_.state == 3; }
  int SelectionMode() const { return box_ ? 1 : 0; }
  void SetSelectionMode(int mode);
  void StartSelection();
  void UpdateSelection();
  void SelectAll();
  bool IsInSelection(int row, int col) const;
  // Selection of whole rows from the left margin.
  void StartRowSelection(int row);
  void ExtendRowSelection(int row);
  // Dragging a selection: whether it may be moved, copying it to a
  // position, moving it there (one undo step), and giving up.
  bool CanSelMove() const;
  bool IsDraggingSelection() const { return dragState_ == 2; }
  void DropSelectionAt(int row, int col);
  void MoveSelectionTo(int row, int col);
  void CancelSelectionDrag(bool escape = false);
  // The row and byte under a viewport point; false off the text.
  bool CharRangeAt(QPoint at, int& row, int& byte) const;
  // The token under a point (its text and the parser's kind), parsed from
  // the start of its line with the active fountain or, without, into plain
  // tokens; the parser's bracket state is reset unless `keepState`.
  bool GetTokenAt(QPoint at, bool useFountain, bool keepState, std::string& text, int& kind) const;
  void SelectTokenAt(QPoint at, bool useFountain, bool keepState);

  // ---- editing ----
  void InsertText(std::string_view text);
  // Inserts the lines of `text` one below the other at the caret column
  // (or into the rows of the selection).
  void InsertBox(std::string_view text);
  void DeleteSelection();
  void DeleteRow(int row);
  void Backspace();
  void DeleteChar();
  void Enter(bool shift);
  void TypeTab();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  bool CanUndo() { return list_->UndoObj().CanUndo(); }
  bool CanRedo() { return list_->UndoObj().CanRedo(); }
  void Undo();
  void Redo();
  // Finds `text` after (forward) or before the selection or caret and
  // selects the hit; options as TextSearch, SearchForward for forward.
  bool SearchText(std::string_view text, uint16_t options);
  void PutRowMark(int row, int mark);
  void DeleteRowMark(int row, int mark);
  void GotoRowMark(int mark);
  int GetRowMarks(int row) const;
  // Inside the row list only; the list hears which marks came and went.
  void SetRowMarks(int row, int marks);

  // The input method's window stands at the caret's cell.
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

  // ---- window messages ----
  // Answers a window message as an edit control does (keys, characters,
  // the left button, EM_*, WM_CUT ..., WM_HSCROLL, WM_VSCROLL); `buffer` is
  // the storage an lparam points to, never written past its length.
  // False for a message the editor does not handle.
  bool WindowMessage(int64_t message, int64_t wparam, int64_t lparam, std::string* buffer, int64_t& result);
  // Scrolls by a scroll-bar code (SB_LINEUP 0 ... SB_BOTTOM 7).
  void ScrollByCode(bool vertical, int code, int position);
  // The input handlers that real key events and the key messages share: a
  // key going down (navigation, Delete, the menu's shortcuts; true when it
  // was taken and types no character), going up, and one byte of a typed
  // character (a Shift-JIS pair arrives as two).
  bool KeyDown(int virtualKey, Qt::KeyboardModifiers modifiers, bool autoRepeat);
  void KeyUp(int virtualKey);
  void CharInput(uint8_t code, Qt::KeyboardModifiers modifiers);
  // The editor's own handling of a mouse event on its viewport.
  void HandleViewportMouse(QMouseEvent& event);
  // The keys the editor takes from a dialog (WM_GETDLGCODE).
  int64_t DialogCode() const;

  // ---- row geometry ----
  std::string RowText(int row) const;
  // 2 (end of file) outside the list.
  int RowKind(int row) const;
  std::string RowAttributes(int row) const;
  int RowWidth(int row) const;
  // The row with each tab replaced by the blanks it stands for.
  std::string GetExpandedRow(int row) const;
  // The byte index of display column `col` in `row`.
  int ColToByte(int row, int col) const;
  int ByteToCol(int row, int bytes) const;
  int ByteOffsetFromRow(int first, int row, int col) const;
  int TextLength() const;

  // ---- layout in pixels ----
  int RowHeight() const { return rowHeight_; }
  int CharWidth() const { return charWidth_; }
  int TextLeft() const;
  int TextTop() const;
  QPoint CaretToPixel() const;
  // The position under a viewport point (nearest boundary when `nearest`).
  void PixelToRowCol(int x, int y, bool nearest, int& row, int& col) const;

  // ---- events ----
  std::function<void()> OnChange;
  std::function<void()> OnCaretMoved;
  std::function<void(bool)> OnSelectionChange;
  std::function<void()> OnSelectionModeChange;
  std::function<void()> OnTopRowChange;
  std::function<void()> OnTopColChange;
  // After a row is drawn: the painter, the row's text with tabs expanded,
  // x of its column 0, the row's top, the row, the row's rectangle and
  // whether any of it is selected.
  std::function<void(QPainter&, const std::string&, int, int, int, const QRect&, bool)> OnDrawLine;

  // The menu the right button shows instead of the editor's own (not owned).
  void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
  // The editor's own menu, made once with the editor.
  TEditorPopupMenu* EditorPopupMenu() const { return ownMenu_; }
  static bool ClipboardHasText();

  // ---- TEditorClient ----
  int CaretRow() const override { return caretRow_; }
  int CaretCol() const override { return caretCol_; }
  void SetCaretRow(int row) override { caretRow_ = std::max(0, std::min(row, RowCount())); }
  void SetCaretCol(int col) override { caretCol_ = std::max(0, std::min(col, kMaxColumn + 1)); }
  bool Focused() const override { return hasFocus(); }
  bool Loading() const override { return false; }
  void DoChange() override;
  void InvalidateTextRow(int row) override;
  int TopRow() const override { return topRow_; }
  void SetTopRow(int row) override;
  bool Destroying() const override { return destroying_; }
  int VisibleRowCount() const override { return visibleRows_; }
  const TFountain* ActiveFountain() const override;
  int TabSpaceCount() const override { return caret_.TabSpaceCount(); }
  bool InitBracketsFull() const override { return speed_.InitBracketsFull(); }
  void CleanSelection() override;
  void Refresh() override;
  void BeginCaretUpdate() override { ++caretUpdate_; }
  void EndCaretUpdate() override;
  void SetCaretByOffset(int row, int offset) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  bool focusNextPrevChild(bool next) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void OptionChanged(TPersistent* sender);
  void UpdateFontMetrics();
  void UpdateScrollBars();
  void AdjustCaretColumn(bool vertical, int direction);
  void ScrollToCaret();
  void UpdateCaret();
  void ExtendSelection();
  void MoveKey(int virtualKey, bool shift, bool ctrl);
  // A key or mouse message delivered as the Qt event it stands for, so it
  // takes the path of real input.
  void SendKeyMessage(bool press, int virtualKey, int64_t keyData);
  void SendMouseMessage(int64_t message, int64_t keyFlags, int64_t position);
  bool NextTokenPosition(int& row, int& col, int direction) const;
  // Replaces `count` rows from `first` by `text` and places the caret
  // `caretOffset` bytes after the start of the row `base`.
  void ReplaceRows(int first, int count, std::string_view text, int base, int caretOffset);
  int BaseRow(int row) const;
  // The selection's rows with the selected bytes removed (stream: one
  // text) and the byte position where the removal began.
  std::string TextWithoutSelection(int& cut) const;
  void TypeText(std::string_view text);
  void UnIndent(int row);
  // The insertion itself (InsertText without the read-only test).
  void InsertAtCaret(std::string_view text);
  int LeftbarWidth() const;
  // The number of lines; with wrapped rows counted once per change of the
  // rows (DoChange, Refresh) rather than on every layout query.
  int LineCount() const;
  int RulerHeight() const;
  // `left` is TextLeft(), measured once per paint.
  void PaintRow(QPainter& p, int row, int y, int left);
  void PaintLeftbar(QPainter& p, int left);
  void PaintRuler(QPainter& p, int left);
  void PaintImagebar(QPainter& p);
  void PaintRowMark(QPainter& p, int kind, int x, int y, const QColor& colour);
  // The caret's rectangle in viewport pixels.
  QRect CaretRect() const;
  // The row holding byte `offset` of the text counted from `startRow` (the
  // walk of SetSelStart), and the bytes of it before that offset.
  void FindOffset(int startRow, int offset, int& row, int& bytes) const;
  int64_t LineLengthAt(int64_t offset) const;
  void SetCursorState(int state);
  void AttachRowList(TEditorScreenStrings* list);
  int ClampSelectionRow(int row) const;
  void InvalidateRowRange(int first, int last);
  struct TTokenAt {
    int firstRow = 0, start = 0, kind = 0;  // start: byte offset in the line
    std::string text;
  };
  bool FindTokenAt(QPoint at, bool useFountain, bool keepState, TTokenAt& token) const;

  // The row list; it is freed when its last editor leaves it.
  TEditorScreenStrings* list_;
  std::unique_ptr<TEditorStrings> lines_;
  TEditorViewInfo view_;
  TEditorCaret caret_;
  TEditorMarks marks_;
  TEditorMargin margin_;
  TEditorImagebar imagebar_;
  TEditorLeftbar leftbar_;
  TEditorRuler ruler_;
  TEditorSpeed speed_;
  TEditorFont font_;
  TColor color_ = clWhite;
  TEditorHitStyle hitStyle_ = TEditorHitStyle::hsSelect;
  TScrollStyle scrollBars_ = TScrollStyle::ssNone;
  bool readOnly_ = false, wantTabs_ = true, wantReturns_ = true, modified_ = false, destroying_ = false;
  bool box_ = false, programmatic_ = false, rememberedSet_ = false, mouseSelecting_ = false;
  int rememberedCol_ = 0;
  int caretRow_ = 0, caretCol_ = 0, topRow_ = 0, topCol_ = 0;
  int visibleRows_ = 1, visibleCols_ = 1;
  int fontHeight_ = 12, charWidth_ = 6, rowHeight_ = 12, fontAscent_ = 10;
  int caretUpdate_ = 0;
  // LineCount's memo and the row count it was taken at (-1: not taken).
  mutable int lineCount_ = -1, lineCountRows_ = -1;
  bool syncingScroll_ = false;
  QPoint downPoint_;
  QMenu* popupMenu_ = nullptr;
  TEditorPopupMenu* ownMenu_ = nullptr;
  // A Shift-JIS lead byte waiting for its trail byte (-1: none).
  int pendingLead_ = -1;
  // A key event made from a key message: it carries no character.
  bool keyMessage_ = false;
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
  TFountain* fountain_ = nullptr;
  QPointer<TEditorImageList> imageDigits_, imageMarks_;
  bool autoRepeat_ = false;
  // Row selection from the margin: on, its first row, the way it went last.
  bool rowSelecting_ = false, rowSelectUp_ = false;
  int rowSelectFirst_ = 0;
  // 0 none, 1 armed (button down in the selection), 2 dragging.
  int dragState_ = 0;
  int cursorState_ = -1;
  // The width of the caret that stands on a search hit (hsCaret); 0 else.
  int hitCaretWidth_ = 0;
  int paintedCaretRow_ = 0;
  TEditorSelection sel_;
};

}  // namespace nura
