// Undo and redo of row replacements. Every change of the text is one
// replacement of a run of rows by a text; a record keeps what the
// replacement removed, so applying it reverses the step.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nura {

class TEditorScreenStrings;

struct TUndoData {
  int32_t caretRow = 0;
  int32_t caretCol = 0;
  int32_t startRow = -1;
  int32_t rowCount = 0;  // rows the replacement put into the list
  uint8_t rowKind = 3;   // kind of the stored text's last row; 3: no text
  std::string text;      // the text of the rows the replacement removed
};

class TEditorUndoObj {
 public:
  static constexpr int kMinUndoListMax = 64;

  explicit TEditorUndoObj(TEditorScreenStrings& list) : list_(list) {}
  virtual ~TEditorUndoObj() = default;
  TEditorUndoObj(const TEditorUndoObj&) = delete;
  TEditorUndoObj& operator=(const TEditorUndoObj&) = delete;

  // A new record with the focused editor's caret; the oldest record goes
  // beyond the depth; redo is cleared unless redoing.
  virtual TUndoData& AddUndo();
  virtual bool CanRedo() const { return !redo_.empty(); }
  virtual bool CanUndo() const { return !undo_.empty(); }
  virtual void Redo();
  virtual void Undo();
  virtual void PushRedo(const TUndoData& record);
  virtual void Clear();

  int UndoListMax() const { return undoListMax_; }
  // Values below 64 give 64.
  void SetUndoListMax(int depth);
  int UndoCount() const { return static_cast<int>(undo_.size()); }
  int RedoCount() const { return static_cast<int>(redo_.size()); }

 private:
  // Applies `record` to the rows and rewrites it into the reverse step.
  void Apply(TUndoData& record);
  // Takes the last record of `from`, applies it and files its reverse:
  // into redo after an undo, into undo after a redo.
  void Step(std::vector<std::unique_ptr<TUndoData>>& from, bool redo);

  TEditorScreenStrings& list_;
  int undoListMax_ = kMinUndoListMax;
  bool redoing_ = false;
  std::vector<std::unique_ptr<TUndoData>> redo_;
  std::vector<std::unique_ptr<TUndoData>> undo_;
};

}  // namespace nura
