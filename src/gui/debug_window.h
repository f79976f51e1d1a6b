// The debugger window: the current line in the program text, the records
// of the current run-control level, and the variables in a grid that can
// be filtered by declaration level and searched by name. Its buttons go on
// with the run, step it line by line, or end the program.
#pragma once

#include <QDialog>
#include <string>

#include "support/csv_db.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;

namespace nura {

class TNuraEngine;
class TStrSortGrid;

// The debugger's variable table: the header row "名前", "値", "型",
// "宣言レベル", then one row per variable, hash (its value as name=value
// lines) and, with `showObjects`, GUI object. A non-empty `levelFilter`
// drops words declared below it (read as an integer, -1 when it is none);
// system variables have level -1, and "それ" is always kept.
void BuildVariableTable(TNuraEngine& engine, const std::string& levelFilter, bool showObjects,
                        TCsvDb& table);

// The word of a run-control record kind: 0 "もし、ならば", 1 "もし、違えば",
// 2 "繰り返す", 3 "回", 4 "呼ぶ", 5 "イベント", 6 "反復", 7 "不明",
// 8 "条件分岐", any other "その他".
std::string RunControlKindWord(int kind);

class TfrmDebug : public QDialog {
 public:
  // `mainWindow` (may be null): the window to centre on.
  explicit TfrmDebug(QWidget* mainWindow);

  QLabel* Label2;
  QPushButton* btnEditorSync;
  QPlainTextEdit* memLine;
  QSplitter* splitter;
  QLineEdit* edtFind;
  QPushButton* btnSerch;
  QCheckBox* chkViewIniVar;
  QCheckBox* chkViewGuiObject;
  QComboBox* cmbRunControl;
  QLineEdit* edtTagLevel;
  TStrSortGrid* grdVar;
  QPushButton* btnOK;
  QPushButton* btnEveryLineStop;
  QPushButton* btnClose;
  QPushButton* btnHelp;
  // Set by "実行中断(&C)": the caller ends the program.
  bool aborted = false;

  // Fills the window for the run of `engine`, before it is shown.
  void Prepare(TNuraEngine& engine);
  // Rebuilds the variable grid from the word table.
  void RefreshVariableList();

  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* MakeTopPanel();
  QWidget* MakeVariablePanel();
  QWidget* MakeButtonPanel();
  void ShowTable();
  void FillRunControl();
  void ShowCurrentLine();
  void Search();
  void ShowRowValue();
  void SetLineStop(bool on);
  void SyncEditor();

  TNuraEngine* engine_ = nullptr;
  TCsvDb table_;
};

}  // namespace nura
