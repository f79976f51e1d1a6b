#include "gui/dialog_commands.h"

#include "engine/command_api.h"
#include "engine/conv_half.h"
#include "engine/dialogs.h"
#include "engine/engine.h"
#include "engine/sjis_text.h"
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
  engine.ApplyFontSettings();
  TDialogStyle style;
  engine.GetFontSettings(style.fontColour, style.fontSize, style.fontName, style.fontStyle);
  style.ime = engine.GetDialogImeMode(-1);  // from "ダイアログIMEの状態"
  Dialogs().SetDialogStyle(style);
}

// A cancelled dialog leaves a copy of "ダイアログキャンセルの値" in "それ".
void SetCancelResult(TNuraEngine& engine) {
  static const std::string kCancelValue = SJ("ダイアログキャンセルの値");
  NodePtr cancel = FindWord(engine, kCancelValue);
  engine.SetResult(cancel ? cancel->value : "", cancel ? cancel->annotation : "s");
}

std::string InitialAnswer(TNuraEngine& engine) {
  static const std::string kInitial = SJ("ダイアログ初期値");
  return WordValue(engine, kInitial);
}

// "言う": the message, cut to 4095 bytes, tabs expanded; "それ" unchanged.
void CmdSay(TNuraEngine& engine, CommandId) {
  std::string text = PopText(engine);
  if (text.size() > kMaxMessageBytes) text = text.substr(0, kMaxMessageBytes) + "...";
  static const std::string kTabWidth = SJ("タブ文字の個数");
  const long double width = TextToNumber(WordValue(engine, kTabWidth));
  const int tabWidth = width >= 1 && width <= 256 ? static_cast<int>(width) : 8;
  ApplyDialogStyle(engine);
  Dialogs().ShowMessage(ExpandTabs(text, tabWidth), ApplicationTitle());
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
  NodePtr result = engine.ResultNode();
  std::string kind = result->annotation;
  if (!answer.empty()) kind = (answer[0] == '$' || (answer[0] >= '0' && answer[0] <= '9')) ? "e" : "s";
  engine.SetResult(answer, kind);
}

// "どれか尋ねる" (editable answer) and "リストから選択" (read-only answer):
// "それ" takes the answer field's value, its annotation kept.
void AskFromList(TNuraEngine& engine, bool editable) {
  const std::string choices = PopText(engine);
  const std::string message = PopText(engine);
  ApplyDialogStyle(engine);
  const std::string initial = InitialAnswer(engine);
  NodePtr result = engine.ResultNode();
  result->value.clear();
  bool cancelled = false;
  const std::string answer =
      Dialogs().AskChoice(message, SplitChoices(choices), initial, editable, cancelled);
  if (cancelled) {
    SetCancelResult(engine);
    return;
  }
  engine.ResultNode()->value = answer;
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

}  // namespace

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

void RegisterDialogCommands() {
  RegisterCommandHandler(CommandId::Say, CmdSay);
  RegisterCommandHandler(CommandId::Ask, CmdAsk);
  RegisterCommandHandler(CommandId::AskChoice, CmdAskChoice);
  RegisterCommandHandler(CommandId::SelectFromList, CmdSelectFromList);
  RegisterCommandHandler(CommandId::EditMemo, CmdEditMemo);
}

}  // namespace nura
