// Windows that serve the run-time rather than the script: the error window
// that shows the error log and asks how to go on, and the progress window
// of long transfers.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace nura {

// The error window: the error log and the choices continue, debug, end.
class TfrmError : public QDialog {
 public:
  // `debugOption`: the program runs with "-debug"; only then can the user
  // choose the debugger. `mainWindow` (may be null) is the window to centre on.
  TfrmError(bool debugOption, QWidget* mainWindow);
  QPlainTextEdit* memMsg;
  QPushButton* btnOk;
  QPushButton* btnCancel;
  QPushButton* btnDebug;
  bool continueRun = false;
  bool debug = false;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void LayOut();
};

// The progress window: a text, a bar from 0 to 100 and a stop button that
// is enabled only while a stop callback is assigned.
class TfrmProg : public QDialog {
 public:
  TfrmProg();
  QLabel* lblMsg;
  QProgressBar* progBar;
  QPushButton* btnStop;
  std::function<void()> onStop;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace nura
