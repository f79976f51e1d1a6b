// The dialogs in a window: plain Qt dialogs behind the engine's dialog
// interface.
#pragma once

#include "engine/dialogs.h"

class QWidget;

namespace nura {

class TQtDialogs : public TDialogHost {
 public:
  explicit TQtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  void ShowMessage(const std::string& text, const std::string& caption) override;
  void ShowWarning(const std::string& text, const std::string& caption) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  std::string AskButtons(const std::string& text, const std::string& caption,
                         const std::vector<std::string>& buttons) override;
  std::string AskInput(const std::string& prompt, const std::string& initial,
                       bool& cancelled) override;
  ErrorChoice ShowErrorDialog(const std::string& log) override;

 private:
  QWidget* parent_;
};

}  // namespace nura
