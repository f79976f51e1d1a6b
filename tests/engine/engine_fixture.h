// A test engine: the built-in vocabulary entered from its tables, the
// control-flow commands, "言う" recording what it shows, and dialogs that
// record messages and error dialogs.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/table_operand.h"
#include "commands/utility_commands.h"
#include "engine/command_registry.h"
#include "engine/control_commands.h"
#include "engine/dialogs.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/vocabulary.h"
#include "platform/sjis.h"

namespace nura::test {

class RecordingDialogs : public TDialogHost {
 public:
  std::vector<std::string> messages;  // UTF-8
  std::vector<std::string> errorLogs; // UTF-8
  ErrorChoice choice = ErrorChoice::End;

  void ShowMessage(const std::string& text, const std::string&) override {
    messages.push_back(SjisToUtf8(text));
  }
  void ShowWarning(const std::string& text, const std::string&) override {
    messages.push_back(SjisToUtf8(text));
  }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  std::string AskButtons(const std::string&, const std::string&,
                         const std::vector<std::string>&) override {
    return {};
  }
  std::string AskInput(const std::string&, const std::string&, bool& cancelled) override {
    cancelled = true;
    return {};
  }
  ErrorChoice ShowErrorDialog(const std::string& log) override {
    errorLogs.push_back(SjisToUtf8(log));
    return choice;
  }
};

inline void RegisterTestVocabulary(TNuraEngine& e) {
  THash& words = e.Base().words;
  for (const auto& v : BuiltinVariables()) {
    auto node = THashNode::CreateVariable(v.name, v.isProtected, -1, v.value);
    node->SetAnnotation(v.annotation);
    words.Add(std::move(node));
  }
  for (const auto& c : BuiltinCommands()) {
    auto node = std::make_unique<THashNode>(StripOkurigana(c.name), true, kWordCommand, c.id, "",
                                            "", c.pattern);
    words.Add(std::move(node));
  }
}

inline void CmdSay(TNuraEngine& e, CommandId) { Dialogs().ShowMessage(e.PopArgumentText(), ""); }

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDialogs(&dialogs);
    RegisterControlCommands();
    RegisterUtilityCommands();
    RegisterTableAccess();
    RegisterCommandHandler(CommandId::Say, CmdSay);
    engine.SetRegistrationHook(RegisterTestVocabulary);
  }
  void TearDown() override { SetDialogs(nullptr); }

  // Prepares and runs a UTF-8 program text; false when preparing failed.
  bool Run(const std::string& utf8, const std::string& file = "test.nrs") {
    try {
      engine.PrepareRun(SJ(utf8), file);
    } catch (const std::exception& e) {
      prepareError = SjisToUtf8(e.what());
      return false;
    }
    engine.Run();
    return true;
  }
  std::string Var(const std::string& name) {
    return SjisToUtf8(engine.Base().words.FindValue(SJ(name), false));
  }
  std::string Log() { return SjisToUtf8(ErrorLog()); }

  RecordingDialogs dialogs;
  TNuraEngine engine;
  std::string prepareError;
};

}  // namespace nura::test
