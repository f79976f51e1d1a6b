// The modal dialogs that the engine and the commands call, behind an
// interface: in console mode they talk over the terminal, in a window they
// are the dialog windows of the GUI. Texts are Shift-JIS.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace nura {

// The input-method state a dialog opens with.
enum class TImeMode { Closed, Open, Hiragana, KatakanaFull, KatakanaHalf };

// 1 open, 2 hiragana, 3 full-width katakana, 4 half-width katakana,
// anything else closed.
TImeMode ImeModeFromNumber(int mode);

// What the user chose in the error dialog.
enum class ErrorChoice { Continue, Debugger, End };

// The answer of a yes/no/cancel question.
enum class YesNoCancel { Yes, No, Cancel };

// A file dialog's settings. `filter` is "description|pattern|..." as the
// scripts write it; `defaultExtension` (without ".") is appended to a saved
// name that has none; `folder` is where the dialog starts (native path).
struct TFileDialogRequest {
  std::string filter;
  std::string defaultExtension;
  std::string folder;
  std::string initialName;  // Shift-JIS; empty for none
};

// A font chosen in the font dialog.
struct TFontChoice {
  std::string name;  // Shift-JIS
  bool bold = false, italic = false, underline = false, strikeOut = false;
  int size = 0;  // points
};

// The script's font and input-method state that the conversational dialogs
// take before they are shown. `fontStyle`: 1 bold, 2 italic, 4 underline.
struct TDialogStyle {
  std::string fontName;  // Shift-JIS; empty keeps the dialog's own font
  int fontSize = 0;      // points; 0 keeps the dialog's own size
  int fontStyle = 0;
  int32_t fontColour = 0;  // 0x00BBGGRR
  TImeMode ime = TImeMode::Closed;
};

class TDialogHost {
 public:
  virtual ~TDialogHost() = default;
  // A message with an OK button.
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
  // A warning box with an OK button.
  virtual void ShowWarning(const std::string& text, const std::string& caption) = 0;
  // Yes or no; false also when the user cancels.
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
  // The button-choice dialog: the text of the chosen button, empty when cancelled.
  virtual std::string AskButtons(const std::string& text, const std::string& caption,
                                 const std::vector<std::string>& buttons) = 0;
  // One line of input; `cancelled` is set when the user cancels.
  virtual std::string AskInput(const std::string& prompt, const std::string& initial,
                               bool& cancelled) = 0;
  // The error dialog with the whole error log.
  virtual ErrorChoice ShowErrorDialog(const std::string& log) = 0;
  // The memo dialog: `text` to read and edit; the memo's text afterwards.
  // Without an editor the text is shown as a message and comes back as it
  // was.
  virtual std::string ShowMemo(const std::string& text, const std::string& caption) {
    ShowMessage(text, caption);
    return text;
  }
  // A choice from `choices` with an answer field that starts as `initial`
  // and that the user may edit when `editable`; returns the answer field.
  // A host without this dialog answers as if the user cancelled.
  virtual std::string AskChoice(const std::string& message,
                                const std::vector<std::string>& choices,
                                const std::string& initial, bool editable, bool& cancelled) {
    (void)message; (void)choices; (void)initial; (void)editable;
    cancelled = true;
    return {};
  }
  // A longer text to edit (lines end with CR LF); returns the edited text.
  // A host without this dialog gives the text back unchanged.
  virtual std::string EditMemo(const std::string& text, bool& cancelled) {
    cancelled = false;
    return text;
  }
  // Yes, no or cancel; cancel also when the user closes the question.
  virtual YesNoCancel AskYesNoCancel(const std::string& text, const std::string& caption) {
    return AskYesNo(text, caption) ? YesNoCancel::Yes : YesNoCancel::No;
  }
  // The common dialogs. Each returns false when the user cancels; file
  // and folder names come back as native paths, a folder without its
  // final "/". The open dialog may return several files.
  virtual bool SelectOpenFiles(const TFileDialogRequest& request,
                               std::vector<std::string>& files) {
    (void)request; (void)files;
    return false;
  }
  virtual bool SelectSaveFile(const TFileDialogRequest& request, std::string& file) {
    (void)request; (void)file;
    return false;
  }
  virtual bool SelectFolder(const std::string& folder, std::string& chosen) {
    (void)folder; (void)chosen;
    return false;
  }
  // `colour` as 0x00BBGGRR.
  virtual bool SelectColour(int32_t& colour) {
    (void)colour;
    return false;
  }
  virtual bool SelectFont(TFontChoice& font) {
    (void)font;
    return false;
  }
  // The font and input-method state for the next conversational dialog.
  virtual void SetDialogStyle(const TDialogStyle& style) { (void)style; }
  // The progress window of a transfer, shown without waiting: its text,
  // the bar (0 to 100) and the stop callback (empty: stopping is not
  // offered). Each call updates the window. Nothing shows on a terminal.
  virtual void ShowProgress(const std::string& text, int position,
                            std::function<void()> onStop) {
    (void)text; (void)position; (void)onStop;
  }
  virtual void HideProgress() {}
};

// The terminal implementation: messages to standard output as UTF-8 lines,
// questions read one line from standard input (end of input cancels), the
// error dialog writes to standard error and answers End.
class TConsoleDialogs : public TDialogHost {
 public:
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
  YesNoCancel AskYesNoCancel(const std::string& text, const std::string& caption) override;
  bool SelectOpenFiles(const TFileDialogRequest& request,
                       std::vector<std::string>& files) override;
  bool SelectSaveFile(const TFileDialogRequest& request, std::string& file) override;
  bool SelectFolder(const std::string& folder, std::string& chosen) override;
  bool SelectColour(int32_t& colour) override;
  bool SelectFont(TFontChoice& font) override;
};

// Dialogs for runs with nobody to ask (fuzz targets, benchmarks): nothing
// is shown, every question is answered at once (no, cancel, the empty
// text), and the error dialog gives `errorChoice`.
class TSilentDialogs : public TDialogHost {
 public:
  explicit TSilentDialogs(ErrorChoice choice) : errorChoice(choice) {}
  void ShowMessage(const std::string&, const std::string&) override {}
  void ShowWarning(const std::string&, const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  std::string AskButtons(const std::string&, const std::string&, const std::vector<std::string>&) override {
    return {};
  }
  std::string AskInput(const std::string&, const std::string&, bool& cancelled) override {
    cancelled = true;
    return {};
  }
  ErrorChoice ShowErrorDialog(const std::string&) override { return errorChoice; }

  ErrorChoice errorChoice;
};

// Marks the run as failed: in console mode the program then ends with exit
// status 1. The console error dialog marks it; so does a start-up file that
// cannot be read.
void MarkConsoleRunFailed();
bool ConsoleRunFailed();

// The dialogs in use; the console ones until the program installs others.
TDialogHost& Dialogs();
// Installs `host` (not owned); nullptr goes back to the console dialogs.
void SetDialogs(TDialogHost* host);

}  // namespace nura
