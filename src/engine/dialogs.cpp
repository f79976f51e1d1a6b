#include "engine/dialogs.h"

#include <cstdio>
#include <iostream>

#include "engine/sjis_text.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace {

TConsoleDialogs& ConsoleDialogs() {
  static TConsoleDialogs dialogs;
  return dialogs;
}

TDialogHost* g_host = nullptr;
bool g_consoleRunFailed = false;

// Writes one message as a UTF-8 line; its CR LF line breaks become the
// terminal's LF.
void WriteLine(std::FILE* to, const std::string& sjis) {
  std::string utf8 = SjisToUtf8(sjis);
  size_t kept = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    utf8[kept++] = utf8[i];
  }
  utf8.resize(kept);
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

// The prompt followed by the numbered choices: "text [1:a/2:b]".
std::string PromptWithChoices(const std::string& text, const std::vector<std::string>& choices) {
  std::string prompt = text;
  for (size_t i = 0; i < choices.size(); ++i) {
    prompt += (i == 0 ? " [" : "/") + std::to_string(i + 1) + ":" + choices[i];
  }
  if (!choices.empty()) prompt += "]";
  return prompt;
}

// The choice that `answer` names, by its text or its number; -1 for none.
int FindChoice(const std::string& answer, const std::vector<std::string>& choices) {
  for (size_t i = 0; i < choices.size(); ++i) {
    if (answer == choices[i] || answer == std::to_string(i + 1)) return static_cast<int>(i);
  }
  return -1;
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
  WriteLine(stdout, PromptWithChoices(text, buttons));
  std::string answer;
  if (!ReadLine(answer)) return "";
  const int chosen = FindChoice(answer, buttons);
  return chosen < 0 ? std::string() : buttons[chosen];
}

// The line read is the answer field; with a read-only field it must name a
// choice (by text or number), else the field stays as it was.
std::string TConsoleDialogs::AskChoice(const std::string& message,
                                       const std::vector<std::string>& choices,
                                       const std::string& initial, bool editable,
                                       bool& cancelled) {
  WriteLine(stdout, PromptWithChoices(message, choices));
  std::string answer;
  cancelled = !ReadLine(answer);
  if (cancelled || editable) return answer;
  const int chosen = FindChoice(answer, choices);
  return chosen < 0 ? initial : choices[chosen];
}

// The text is written; the line read replaces it.
std::string TConsoleDialogs::EditMemo(const std::string& text, bool& cancelled) {
  WriteLine(stdout, text);
  std::string answer;
  cancelled = !ReadLine(answer);
  return answer;
}

std::string TConsoleDialogs::AskInput(const std::string& prompt, const std::string&,
                                      bool& cancelled) {
  WriteLine(stdout, prompt);
  std::string answer;
  cancelled = !ReadLine(answer);
  return answer;
}

YesNoCancel TConsoleDialogs::AskYesNoCancel(const std::string& text, const std::string&) {
  WriteLine(stdout, text + " (y/n/c)");
  std::string answer;
  if (!ReadLine(answer) || answer.empty()) return YesNoCancel::Cancel;
  if (answer[0] == 'y' || answer[0] == 'Y') return YesNoCancel::Yes;
  if (answer[0] == 'n' || answer[0] == 'N') return YesNoCancel::No;
  return YesNoCancel::Cancel;
}

namespace {

// Asks for one line; false at end of input or for an empty answer.
bool AskLine(const std::string& prompt, std::string& answer) {
  WriteLine(stdout, prompt);
  return ReadLine(answer) && !TrimText(answer).empty();
}

// A typed name as a native path, relative ones taken from `folder`.
std::string TypedPath(const std::string& typed, const std::string& folder) {
  std::string path = ScriptPathToNative(TrimText(typed));
  if (!path.empty() && path[0] != '/' && !folder.empty()) {
    path = folder + (folder.back() == '/' ? "" : "/") + path;
  }
  return path;
}

// True when the last component of `path` has an extension.
bool HasExtension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
}

}  // namespace

bool TConsoleDialogs::SelectOpenFiles(const TFileDialogRequest& request,
                                      std::vector<std::string>& files) {
  std::string answer;
  if (!AskLine(SJ("開くファイル名を入力してください。(") + request.filter + ")", answer)) {
    return false;
  }
  files = {TypedPath(answer, request.folder)};
  return true;
}

bool TConsoleDialogs::SelectSaveFile(const TFileDialogRequest& request, std::string& file) {
  std::string answer;
  if (!AskLine(SJ("保存するファイル名を入力してください。(") + request.filter + ")", answer)) {
    return false;
  }
  file = TypedPath(answer, request.folder);
  if (!request.defaultExtension.empty() && !HasExtension(file)) {
    file += "." + SjisToUtf8(request.defaultExtension);
  }
  return true;
}

bool TConsoleDialogs::SelectFolder(const std::string& folder, std::string& chosen) {
  std::string answer;
  if (!AskLine(SJ("フォルダ名を入力してください。"), answer)) return false;
  chosen = TypedPath(answer, folder);
  while (chosen.size() > 1 && chosen.back() == '/') chosen.pop_back();
  return true;
}

// A decimal number, or "$" and hexadecimal digits, as 0x00BBGGRR.
bool TConsoleDialogs::SelectColour(int32_t& colour) {
  std::string answer;
  if (!AskLine(SJ("色を数値(赤+緑×256+青×65536)で入力してください。"), answer)) return false;
  int32_t value = 0;
  if (!ReadIntegerText(answer, value) || value < 0 || value > 0xFFFFFF) return false;
  colour = value;
  return true;
}

// The font text itself: "name|styles|size", styles among 太字, 傾斜, 下線.
bool TConsoleDialogs::SelectFont(TFontChoice& font) {
  std::string answer;
  if (!AskLine(SJ("フォントを「名前|太字傾斜下線|サイズ」の形で入力してください。"), answer)) {
    return false;
  }
  std::vector<std::string> fields;
  std::string field;
  const std::string text = TrimText(answer);
  for (size_t i = 0; i < text.size(); i += SjisCharLength(text, i)) {
    if (text[i] == '|') {
      fields.push_back(field);
      field.clear();
    } else {
      field.append(text, i, SjisCharLength(text, i));
    }
  }
  fields.push_back(field);
  font = TFontChoice();
  font.name = TrimText(fields[0]);
  if (font.name.empty()) return false;
  const std::string styles = fields.size() > 1 ? fields[1] : "";
  font.bold = SjisPos(SJ("太字"), styles) > 0;
  font.italic = SjisPos(SJ("傾斜"), styles) > 0;
  font.underline = SjisPos(SJ("下線"), styles) > 0;
  const long double size = TextToNumber(fields.back());
  if (fields.size() > 1 && size >= 1 && size <= 1638) font.size = static_cast<int>(size);
  return true;
}

ErrorChoice TConsoleDialogs::ShowErrorDialog(const std::string& log) {
  std::string text = log;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  WriteLine(stderr, text);
  MarkConsoleRunFailed();
  return ErrorChoice::End;
}

void MarkConsoleRunFailed() { g_consoleRunFailed = true; }

bool ConsoleRunFailed() { return g_consoleRunFailed; }

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
