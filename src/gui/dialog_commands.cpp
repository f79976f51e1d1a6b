#include "gui/dialog_commands.h"

#include "engine/command_registry.h"
#include "engine/conv_half.h"
#include "engine/dialogs.h"
#include "engine/engine.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr int kIdAsk = 10;
constexpr int kIdSay = 12;
constexpr size_t kMaxMessageBytes = 4095;

// The value of a word, or empty when it is not in the word table.
std::string WordValue(TNuraEngine& engine, const std::string& name) {
  NodePtr node = engine.Base().words.FindNode(name, false);
  return node ? node->value : std::string();
}

std::string ApplicationTitle() {
  static const std::string title = SJ("ぬらせら");
  return title;
}

// "言う": the message, cut to 4095 bytes, tabs expanded; "それ" unchanged.
void CmdSay(TNuraEngine& engine, int) {
  std::string text = engine.PopArgumentText();
  if (text.size() > kMaxMessageBytes) text = text.substr(0, kMaxMessageBytes) + "...";
  static const std::string kTabWidth = SJ("タブ文字の個数");
  const long double width = TextToNumber(WordValue(engine, kTabWidth));
  const int tabWidth = width >= 1 && width <= 256 ? static_cast<int>(width) : 8;
  Dialogs().ShowMessage(ExpandTabs(text, tabWidth), ApplicationTitle());
}

// "尋ねる": one line of input; a cancel copies "ダイアログキャンセルの値".
void CmdAsk(TNuraEngine& engine, int) {
  // A prompt left out was supplied by the binding as "それ".
  const bool leftOut = engine.Base().implicitSubject;
  std::string prompt = leftOut ? (engine.Base().args.Pop(), std::string()) : engine.PopArgumentText();
  static const std::string kDefaultPrompt = SJ("入力してください。");
  if (leftOut) prompt = kDefaultPrompt;
  static const std::string kInitial = SJ("ダイアログ初期値");
  static const std::string kCancelValue = SJ("ダイアログキャンセルの値");
  bool cancelled = false;
  const std::string answer = Dialogs().AskInput(prompt, WordValue(engine, kInitial), cancelled);
  if (cancelled) {
    NodePtr cancel = engine.Base().words.FindNode(kCancelValue, false);
    engine.SetResult(cancel ? cancel->value : "", cancel ? cancel->annotation : "s");
    return;
  }
  NodePtr result = engine.ResultNode();
  std::string kind = result->annotation;
  if (!answer.empty()) kind = (answer[0] == '$' || (answer[0] >= '0' && answer[0] <= '9')) ? "e" : "s";
  engine.SetResult(answer, kind);
}

}  // namespace

void RegisterDialogCommands() {
  RegisterCommandHandler(kIdSay, CmdSay);
  RegisterCommandHandler(kIdAsk, CmdAsk);
}

}  // namespace nura
