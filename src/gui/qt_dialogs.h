// The dialogs in a window: the dialog forms of the GUI behind the engine's
// dialog interface. Each form is made on first use and reused.
#pragma once

#include <memory>

#include "engine/dialogs.h"

class QString;
class QWidget;

namespace nura {

class TfrmMsgBox;
class TfrmInputBox;
class TfrmSelectDialog;
class TfrmMemoDialog;
class TfrmSelectButton;
class TfrmError;
class TfrmProg;

// A script's filter "description|pattern|..." in Qt's form
// "description (pattern);;...": several patterns of one entry ("*.a;*.b")
// are separated by blanks; a description that already ends with its
// patterns in parentheses is kept as it is.
QString QtFileFilter(const std::string& filter);

class TQtDialogs : public TDialogHost {
 public:
  explicit TQtDialogs(QWidget* parent = nullptr);
  ~TQtDialogs() override;
  // The main window: warnings and questions stand over it, the button
  // choice measures it and the error window centres on it.
  void SetParent(QWidget* parent) { parent_ = parent; }

  void ShowMessage(const std::string& text, const std::string& caption) override;
  void ShowWarning(const std::string& text, const std::string& caption) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  std::string AskButtons(const std::string& text, const std::string& caption,
                         const std::vector<std::string>& buttons) override;
  std::string AskInput(const std::string& prompt, const std::string& initial,
                       bool& cancelled) override;
  ErrorChoice ShowErrorDialog(const std::string& log) override;
  std::string AskChoice(const std::string& message, const std::vector<std::string>& choices,
                        const std::string& initial, bool editable, bool& cancelled) override;
  std::string EditMemo(const std::string& text, bool& cancelled) override;
  std::string ShowMemo(const std::string& text, const std::string& caption) override;
  YesNoCancel AskYesNoCancel(const std::string& text, const std::string& caption) override;
  bool SelectOpenFiles(const TFileDialogRequest& request,
                       std::vector<std::string>& files) override;
  bool SelectSaveFile(const TFileDialogRequest& request, std::string& file) override;
  bool SelectFolder(const std::string& folder, std::string& chosen) override;
  bool SelectColour(int32_t& colour) override;
  bool SelectFont(TFontChoice& font) override;
  void SetDialogStyle(const TDialogStyle& style) override { style_ = style; }
  void ShowProgress(const std::string& text, int position,
                    std::function<void()> onStop) override;
  void HideProgress() override;

  // The forms, made on first use.
  TfrmMsgBox& MsgBox();
  TfrmInputBox& InputBox();
  TfrmSelectDialog& SelectDialog();
  TfrmMemoDialog& MemoDialog();
  TfrmSelectButton& SelectButton();
  TfrmError& ErrorWindow();
  TfrmProg& ProgressWindow();

 private:
  QWidget* parent_;
  TDialogStyle style_;
  std::unique_ptr<TfrmMsgBox> msgBox_;
  std::unique_ptr<TfrmInputBox> inputBox_;
  std::unique_ptr<TfrmSelectDialog> selectDialog_;
  std::unique_ptr<TfrmMemoDialog> memoDialog_;
  std::unique_ptr<TfrmSelectButton> selectButton_;
  std::unique_ptr<TfrmError> errorWindow_;
  std::unique_ptr<TfrmProg> progressWindow_;
};

}  // namespace nura
