// The editor settings dialog: every option of an editor on seven pages,
// with preview editors that show each change at once. It edits its own
// settings object and copies it back only on OK.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "editor/editor_prop.h"

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace nura {

class TEditorColorManager;

class TFormViewEditor : public QDialog {
 public:
  explicit TFormViewEditor(QWidget* parent = nullptr);
  ~TFormViewEditor() override;

  // Copies `settings` into the dialog's own set, fills the controls and
  // shows the dialog modally; on OK the result is assigned back into
  // `settings`. The page shown first follows the class of `firstPage`.
  bool ExecuteDialog(TEditorProp& settings, const TPersistent* firstPage, bool showFileExt);

  TEditorProp& EditorProp1() { return *prop_; }
  QTabWidget& Pages() { return *pages_; }
  // The page captions, for choosing the first page.
  static QString FirstPageOf(const TPersistent* object);

  // OK: checks every bracket pair first and stays open on a bad one.
  void accept() override;

 private:
  // Page builders.
  QWidget* FontPage();
  QWidget* CaretPage();
  QWidget* ViewMarksPage();
  QWidget* LeftbarRulerMarginPage();
  QWidget* BracketsPage();
  QWidget* ReserveWordListPage();
  QWidget* WordWrapPage();

  // Controls bound to a value of EditorProp1: each is filled from it when
  // the dialog runs and writes into it on every change.
  QCheckBox* Check(QLayout* layout, const QString& name, std::function<bool()> get, std::function<void(bool)> set);
  QSpinBox* Spin(QFormLayout* layout, const QString& name, int low, int high, int step, std::function<int()> get,
                 std::function<void(int)> set);
  QGroupBox* Radio(QLayout* layout, const QString& name, const QStringList& choices, std::function<int()> get,
                   std::function<void(int)> set);
  QLineEdit* Edit(QFormLayout* layout, const QString& name, std::function<std::string()> get,
                  std::function<void(const std::string&)> set);
  TEditor* Preview(QLayout* layout, const char* name);
  // A colour list over its colour manager; `select` gets the chosen entry.
  void ColorList(QBoxLayout* layout, const char* name, const QStringList& entries, const char* managerName,
                 QListWidget*& list, TEditorColorManager*& manager, std::function<void(int)> select);
  // The three "Same..." buttons; `apply` gets 0 (BkColor), 1 (Color), 2 (Style).
  void SameButtons(QBoxLayout* layout, const QString& prefix, std::function<void(int)> apply);

  void Fill();
  void Changed();
  void RefreshPreviews();
  void FillFontNames();
  void ApplyFontName();
  void ApplyFontSize();
  void SelectColorEntry(int index);
  void SelectRulerEntry(int index);
  void WriteBackHolders();
  void PaintSelectionSample(TEditor& editor, QPainter& p, const std::string& line, int x, int y);
  // The "SameBkColor", "SameColor" and "SameStyle" buttons (what: 0 1 2).
  void SameForView(int what);
  void SameForBrackets(int what);
  bool Confirm(const QString& text);
  void ShowError(const QString& text);
  // Brackets page.
  void FillBracketList(int select);
  void SelectBracket(int index);
  void NewBracket();
  void RemoveBracket();
  void UpdateBracket();
  void UpdateBracketButtons();
  int FirstBadBracket() const;
  void LoadReserveWords();
  void SaveReserveWords();

  std::unique_ptr<TEditorProp> prop_;
  TEditorProp* target_ = nullptr;
  bool filling_ = false;
  std::vector<std::function<void()>> fillers_;
  // Temporary holders of the colours that are no token colour.
  std::unique_ptr<TFountainColor> editorColor_, rulerColor_, leftbarColor_;
  std::unique_ptr<TEditorMark> rulerMark_;

  QTabWidget* pages_;
  QGroupBox* fileExtGroup_ = nullptr;
  TEditor *fontSample_ = nullptr, *fileExtEditor_ = nullptr, *caretSample_ = nullptr, *colorSample_ = nullptr,
          *rulerSample_ = nullptr, *reserveEditor_ = nullptr;
  QComboBox *fontName_ = nullptr, *fontSize_ = nullptr;
  QCheckBox* variablePitch_ = nullptr;
  QListWidget *colorList_ = nullptr, *rulerList_ = nullptr, *bracketList_ = nullptr;
  TEditorColorManager *colorManager_ = nullptr, *rulerManager_ = nullptr, *bracketManager_ = nullptr;
  QLineEdit *leftBracket_ = nullptr, *rightBracket_ = nullptr;
  QPushButton *removeBracket_ = nullptr, *updateBracket_ = nullptr;
};

// Runs the dialog on a copy of `settings` (the file-extension group hidden)
// and assigns the result back on OK; true when OK was chosen.
bool EditEditorProp(TEditorProp& settings, const TPersistent* firstPage, QWidget* parent = nullptr);
// The same for an editor: its options are copied out and, on OK, back in.
bool EditEditorProp(TEditor& editor, const TPersistent* firstPage, QWidget* parent = nullptr);

}  // namespace nura
