#include "commands/dialog_commands.h"

#include <filesystem>

#include "engine/command_api.h"
#include "engine/conv_half.h"
#include "engine/dialogs.h"
#include "engine/sjis_text.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr size_t kMaxMessageBytes = 4095;

std::string ApplicationTitle() {
  static const std::string title = SJ("ぬらせら");
  return title;
}

// The font variables go to the main picture and from there, with the
// input-method state of "ダイアログIMEの状態", to the dialog.
void ApplyDialogStyle(TNuraEngine& engine) {
  ApplyFontSettings(engine);
  TDialogStyle style;
  GetFontSettings(engine, style.fontColour, style.fontSize, style.fontName, style.fontStyle);
  style.ime = GetDialogImeMode(engine, -1);  // from "ダイアログIMEの状態"
  Dialogs().SetDialogStyle(style);
}

// A cancelled dialog leaves a copy of "ダイアログキャンセルの値" in "それ".
void SetCancelResult(TNuraEngine& engine) {
  static const std::string kCancelValue = SJ("ダイアログキャンセルの値");
  NodePtr cancel = FindWord(engine, kCancelValue);
  SetResult(engine, cancel ? cancel->Value() : "", cancel ? cancel->Annotation() : "s");
}

std::string InitialAnswer(TNuraEngine& engine) {
  static const std::string kInitial = SJ("ダイアログ初期値");
  return WordValue(engine, kInitial);
}

// "言う": the message, cut to 4095 bytes, tabs expanded; "それ" unchanged.
void CmdSay(TNuraEngine& engine, CommandId) {
  std::string text = PopText(engine);
  if (text.size() > kMaxMessageBytes) text = text.substr(0, kMaxMessageBytes) + "...";
  ApplyDialogStyle(engine);
  Dialogs().ShowMessage(ExpandTabs(text, TabWidth(engine)), ApplicationTitle());
}

// "尋ねる": one line of input; a cancel copies "ダイアログキャンセルの値".
void CmdAsk(TNuraEngine& engine, CommandId) {
  // A prompt left out was supplied by the binding as "それ".
  const bool leftOut = SubjectLeftOut(engine);
  std::string prompt = leftOut ? (PopRawArgument(engine), std::string()) : PopText(engine);
  static const std::string kDefaultPrompt = SJ("入力してください。");
  if (leftOut) prompt = kDefaultPrompt;
  ApplyDialogStyle(engine);
  bool cancelled = false;
  const std::string answer = Dialogs().AskInput(prompt, InitialAnswer(engine), cancelled);
  if (cancelled) {
    SetCancelResult(engine);
    return;
  }
  NodePtr result = ResultNode(engine);
  std::string kind = result->Annotation();
  if (!answer.empty()) kind = (answer[0] == '$' || (answer[0] >= '0' && answer[0] <= '9')) ? "e" : "s";
  SetResult(engine, answer, kind);
}

// "どれか尋ねる" (editable answer) and "リストから選択" (read-only answer):
// "それ" takes the answer field's value, its annotation kept.
void AskFromList(TNuraEngine& engine, bool editable) {
  const std::string choices = PopText(engine);
  const std::string message = PopText(engine);
  ApplyDialogStyle(engine);
  const std::string initial = InitialAnswer(engine);
  NodePtr result = ResultNode(engine);
  result->SetValue("");
  bool cancelled = false;
  const std::string answer =
      Dialogs().AskChoice(message, SplitChoices(choices), initial, editable, cancelled);
  if (cancelled) {
    SetCancelResult(engine);
    return;
  }
  ResultNode(engine)->SetValue(answer);
}

void CmdAskChoice(TNuraEngine& engine, CommandId) { AskFromList(engine, true); }
void CmdSelectFromList(TNuraEngine& engine, CommandId) { AskFromList(engine, false); }

// "メモ記入": the edited text, or the cancel value; annotated "s" either way.
void CmdEditMemo(TNuraEngine& engine, CommandId) {
  const std::string initial = PopText(engine);
  ApplyDialogStyle(engine);
  bool cancelled = false;
  std::string text = Dialogs().EditMemo(initial, cancelled);
  if (cancelled) {
    static const std::string kCancelValue = SJ("ダイアログキャンセルの値");
    text = WordValue(engine, kCancelValue);
  }
  SetTextResult(engine, text);
}

// "二択": "1" yes, "0" no (closing the question answers no).
void CmdAskYesNo(TNuraEngine& engine, CommandId) {
  const std::string text = PopText(engine);
  SetIntegerResult(engine, Dialogs().AskYesNo(text, ApplicationTitle()) ? 1 : 0);
}

// "三択": "1" yes, "0" no, "2" cancel.
void CmdAskThreeWay(TNuraEngine& engine, CommandId) {
  const std::string text = PopText(engine);
  switch (Dialogs().AskYesNoCancel(text, ApplicationTitle())) {
    case YesNoCancel::Yes: SetIntegerResult(engine, 1); break;
    case YesNoCancel::No: SetIntegerResult(engine, 0); break;
    case YesNoCancel::Cancel: SetIntegerResult(engine, 2); break;
  }
}

std::string CurrentFolder() {
  std::error_code ec;
  return std::filesystem::current_path(ec).string();
}

TFileDialogRequest FileRequest(TNuraEngine& engine, const std::string& argument) {
  TFileDialogRequest request;
  request.filter = FileDialogFilter(argument);
  request.defaultExtension = DefaultExtensionOf(request.filter);
  request.folder = CurrentFolder();
  request.initialName = InitialAnswer(engine);
  return request;
}

// "読込ファイル選択": the chosen file; several as lines.
void CmdSelectOpenFile(TNuraEngine& engine, CommandId) {
  const TFileDialogRequest request = FileRequest(engine, PopText(engine));
  std::vector<std::string> files;
  if (!Dialogs().SelectOpenFiles(request, files) || files.empty()) {
    SetCancelResult(engine);
    return;
  }
  std::string lines;
  for (const std::string& file : files) {
    if (!lines.empty()) lines += "\r\n";
    lines += NativePathToScript(file);
  }
  SetTextResult(engine, TrimText(lines));
}

// "書込ファイル選択": the file name to write.
void CmdSelectSaveFile(TNuraEngine& engine, CommandId) {
  const TFileDialogRequest request = FileRequest(engine, PopText(engine));
  std::string file;
  if (!Dialogs().SelectSaveFile(request, file)) {
    SetCancelResult(engine);
    return;
  }
  SetTextResult(engine, NativePathToScript(file));
}

// "フォルダ選択": the folder, ending in "/".
void CmdSelectFolder(TNuraEngine& engine, CommandId) {
  std::string folder;
  if (!Dialogs().SelectFolder(CurrentFolder(), folder)) {
    SetCancelResult(engine);
    return;
  }
  std::string text = NativePathToScript(folder);
  if (text.empty() || text.back() != '/') text += '/';
  SetTextResult(engine, text);
}

// "色選択": red + green * 256 + blue * 65536.
void CmdSelectColour(TNuraEngine& engine, CommandId) {
  int32_t colour = 0;
  if (!Dialogs().SelectColour(colour)) {
    SetCancelResult(engine);
    return;
  }
  SetIntegerResult(engine, colour & 0xFFFFFF);
}

// "フォント選択": the font text "name|styles|size".
void CmdSelectFont(TNuraEngine& engine, CommandId) {
  TFontChoice font;
  if (!Dialogs().SelectFont(font)) {
    SetCancelResult(engine);
    return;
  }
  SetTextResult(engine, FontChoiceText(font));
}

// "ボタンで選択" ("?を,?の"): message, choices; the chosen caption.
void CmdSelectByButton(TNuraEngine& engine, CommandId) {
  const std::string choices = PopText(engine);
  const std::string message = PopText(engine);
  ApplyDialogStyle(engine);
  const std::string chosen =
      Dialogs().AskButtons(message, ApplicationTitle(), SplitButtonChoices(choices));
  if (chosen.empty()) {
    SetCancelResult(engine);
    return;
  }
  SetTextResult(engine, chosen);
}

}  // namespace

std::string FileDialogFilter(const std::string& argument) {
  if (argument.find('|') != std::string::npos) return argument;
  const std::string ext = !argument.empty() && argument[0] == '.' ? argument.substr(1) : argument;
  return ext + SJ(" 形式(*.") + ext + ")|*." + ext + SJ("|全て(*.*)|*.*");
}

// The second field without its leading "*" and then ".": "*.txt" gives
// "txt". A pattern that still holds "*" or "?" ("*.*", "*.txt;*.csv")
// gives none, so no name ever ends in a wildcard.
std::string DefaultExtensionOf(const std::string& filter) {
  const size_t bar = filter.find('|');
  if (bar == std::string::npos) return "";
  std::string pattern = filter.substr(bar + 1, filter.find('|', bar + 1) - bar - 1);
  if (!pattern.empty() && pattern[0] == '*') pattern.erase(0, 1);
  if (!pattern.empty() && pattern[0] == '.') pattern.erase(0, 1);
  if (pattern.find_first_of("*?") != std::string::npos) return "";
  return pattern;
}

std::string FontChoiceText(const TFontChoice& font) {
  std::string styles;
  if (font.bold) styles += SJ("太字");
  if (font.italic) styles += SJ("傾斜");
  if (font.underline) styles += SJ("下線");
  std::string text = font.name;
  if (!styles.empty()) text += "|" + styles;
  if (font.size > 0) text += (styles.empty() ? "||" : "|") + std::to_string(font.size);
  return text;
}

// Lines, or choices separated by the two characters "\n" (found at
// character starts only). Empty choices are dropped: a button needs a caption.
std::vector<std::string> SplitButtonChoices(const std::string& text) {
  std::vector<std::string> items;
  std::string item;
  const auto finish = [&] {
    if (!TrimText(item).empty()) items.push_back(TrimText(item));
    item.clear();
  };
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '\r' || text[i] == '\n') {
      finish();
      ++i;
    } else if (text.compare(i, 2, "\\n") == 0) {
      finish();
      i += 2;
    } else {
      const size_t length = SjisCharLength(text, i);
      item.append(text, i, length);
      i += length;
    }
  }
  finish();
  return items;
}

std::vector<std::string> SplitChoices(const std::string& text) {
  static const std::string kWideBar = SJ("｜");
  std::vector<std::string> items;
  std::string item;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool wideBar = text.compare(i, kWideBar.size(), kWideBar) == 0;
    if (c == '|' || c == '\r' || c == '\n' || wideBar) {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (wideBar) i += kWideBar.size() - 1;
      items.push_back(item);
      item.clear();
      continue;
    }
    item += c;
    if (IsSjisLead(static_cast<unsigned char>(c)) && i + 1 < text.size()) item += text[++i];
  }
  if (!item.empty()) items.push_back(item);  // a final line end adds no empty item
  return items;
}

constexpr CommandEntry kDialogCommands[] = {
    {CommandId::Say, CmdSay},
    {CommandId::Ask, CmdAsk},
    {CommandId::AskChoice, CmdAskChoice},
    {CommandId::SelectFromList, CmdSelectFromList},
    {CommandId::EditMemo, CmdEditMemo},
    {CommandId::AskYesNo, CmdAskYesNo},
    {CommandId::AskThreeWay, CmdAskThreeWay},
    {CommandId::SelectOpenFile, CmdSelectOpenFile},
    {CommandId::SelectSaveFile, CmdSelectSaveFile},
    {CommandId::SelectFolder, CmdSelectFolder},
    {CommandId::SelectColour, CmdSelectColour},
    {CommandId::SelectFont, CmdSelectFont},
    {CommandId::SelectByButton, CmdSelectByButton},
};

void RegisterDialogCommands() { RegisterCommandTable(kDialogCommands); }

}  // namespace nura
