#include "engine/dialogs.h"

#include <cstdio>
#include <iostream>

#include "platform/sjis.h"

namespace nura {
namespace {

TConsoleDialogs& ConsoleDialogs() {
  static TConsoleDialogs dialogs;
  return dialogs;
}

TDialogHost* g_host = nullptr;
bool g_consoleErrorShown = false;

void WriteLine(std::FILE* to, const std::string& sjis) {
  const std::string utf8 = SjisToUtf8(sjis);
  std::fwrite(utf8.data(), 1, utf8.size(), to);
  std::fputc('\n', to);
  std::fflush(to);
}

// Reads one line of standard input as Shift-JIS; false at end of input.
bool ReadLine(std::string& line) {
  std::string utf8;
  if (!std::getline(std::cin, utf8)) return false;
  if (!utf8.empty() && utf8.back() == '\r') utf8.pop_back();
  line = Utf8ToSjis(utf8);
  return true;
}

}  // namespace

void TConsoleDialogs::ShowMessage(const std::string& text, const std::string&) {
  WriteLine(stdout, text);
}

void TConsoleDialogs::ShowWarning(const std::string& text, const std::string&) {
  WriteLine(stdout, text);
}

bool TConsoleDialogs::AskYesNo(const std::string& text, const std::string&) {
  WriteLine(stdout, text + " (y/n)");
  std::string answer;
  if (!ReadLine(answer)) return false;
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

std::string TConsoleDialogs::AskButtons(const std::string& text, const std::string&,
                                        const std::vector<std::string>& buttons) {
  std::string prompt = text;
  for (size_t i = 0; i < buttons.size(); ++i) {
    prompt += (i == 0 ? " [" : "/") + std::to_string(i + 1) + ":" + buttons[i];
  }
  if (!buttons.empty()) prompt += "]";
  WriteLine(stdout, prompt);
  std::string answer;
  if (!ReadLine(answer)) return "";
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (answer == buttons[i] || answer == std::to_string(i + 1)) return buttons[i];
  }
  return "";
}

std::string TConsoleDialogs::AskInput(const std::string& prompt, const std::string&,
                                      bool& cancelled) {
  WriteLine(stdout, prompt);
  std::string answer;
  cancelled = !ReadLine(answer);
  return answer;
}

ErrorChoice TConsoleDialogs::ShowErrorDialog(const std::string& log) {
  std::string text = log;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  WriteLine(stderr, text);
  g_consoleErrorShown = true;
  return ErrorChoice::End;
}

bool ConsoleErrorDialogShown() { return g_consoleErrorShown; }

TDialogHost& Dialogs() { return g_host ? *g_host : ConsoleDialogs(); }

void SetDialogs(TDialogHost* host) { g_host = host; }

TImeMode ImeModeFromNumber(int mode) {
  switch (mode) {
    case 1: return TImeMode::Open;
    case 2: return TImeMode::Hiragana;
    case 3: return TImeMode::KatakanaFull;
    case 4: return TImeMode::KatakanaHalf;
    default: return TImeMode::Closed;
  }
}

}  // namespace nura
