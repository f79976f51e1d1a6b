// Commands that only set fields of the interpreter state: the run loop and
// the error handling read them (warnOnError, errorLabel, errorResume), the
// main window's close request reads the shutdown label, the statement loop
// the line-step flag.
#include "engine/error_mode_commands.h"

#include "engine/command_api.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "platform/sjis.h"

namespace nura {
namespace {


[[noreturn]] void RaiseUndefinedLabel(TNuraEngine& engine, const std::string& name) {
  throw ENura(engine.FormatErrorMessage(SJ("未定義のラベル\"") + name +
                                        SJ("\"に、ジャンプしようとしました。")));
}

// Every error mode starts afresh: an error label's code that sets one is
// no longer handling an error.
void SetErrorMode(TNuraBase& b, bool warn, NodePtr label) {
  b.warnOnError = warn;
  b.errorLabel = std::move(label);
  b.inErrorLabel = false;
}

void IgnoreErrors(TNuraEngine& engine, CommandId) { SetErrorMode(engine.Base(), false, nullptr); }

void WarnErrors(TNuraEngine& engine, CommandId) { SetErrorMode(engine.Base(), true, nullptr); }

void SetErrorLabel(TNuraEngine& engine, CommandId) {
  TNuraBase& b = engine.Base();
  const std::string name = PopRawWord(engine);
  SetErrorMode(b, b.warnOnError, nullptr);
  NodePtr node = b.words.FindNode(name, false);
  if (!node) RaiseUndefinedLabel(engine, name);
  b.errorLabel = std::move(node);
}

// Back to the statement after the one that failed last. Without a failure
// before there is nowhere to go back to: nothing happens.
void ResumeFromError(TNuraEngine& engine, CommandId) {
  TNuraBase& b = engine.Base();
  b.inErrorLabel = false;
  if (b.errorResume) b.cursor = b.errorResume;
}

void SetNoExit(TNuraBase& b, const char* value) {
  if (const NodePtr& noExit = b.SystemNode(&TNuraBase::nodeNoExit)) noExit->SetValue(value);
}

void SetExitLabel(TNuraEngine& engine, CommandId) {
  TNuraBase& b = engine.Base();
  const std::string name = PopRawWord(engine);
  if (NodePtr node = b.words.FindNode(name, false)) {
    // Only a label has code to run: any other word would leave the window
    // unable to close.
    if (node->kind != kWordLabel) RaiseUndefinedLabel(engine, name);
    b.exitLabel = std::move(node);
    SetNoExit(b, "1");
    return;
  }
  if (!engine.ExpandString(name).empty()) RaiseUndefinedLabel(engine, name);
  b.exitLabel.reset();
  SetNoExit(b, "0");
}

void StepLines(TNuraEngine& engine, CommandId) { engine.Base().lineStop = true; }

}  // namespace

constexpr CommandEntry kErrorModeCommands[] = {
    {CommandId::IgnoreErrors, IgnoreErrors},
    {CommandId::SetErrorLabel, SetErrorLabel},
    {CommandId::WarnErrors, WarnErrors},
    {CommandId::ResumeFromError, ResumeFromError},
    {CommandId::SetExitLabel, SetExitLabel},
    {CommandId::StepLines, StepLines},
};

void RegisterErrorModeCommands() { RegisterCommandTable(kErrorModeCommands); }

}  // namespace nura
