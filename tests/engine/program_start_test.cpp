// Choosing and reading the program a run starts with, without a window.
#include "engine/program_start.h"

#include <filesystem>

#include "engine/command_line.h"
#include "engine_fixture.h"
#include "platform/native_path.h"
#include "common/run_program.h"

namespace nura::test {
namespace {

namespace fs = std::filesystem;

using Strings = std::vector<std::string>;

// Each case runs in a folder of its own and goes back to the current
// folder afterwards (loading a script changes it).
class ProgramStartTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    here_ = fs::current_path();
    dir = fs::canonical(MakeTempFolder()).string();
  }
  void TearDown() override {
    fs::current_path(here_);
    EngineTest::TearDown();
  }
  std::string source;
  std::string dir;

 private:
  fs::path here_;
};

TEST_F(ProgramStartTest, TheCommandLineScriptIsReadAndItsFolderBecomesCurrent) {
  fs::create_directory(dir + "/sub");
  WriteSjisFile(dir + "/sub/main.nrs", "「やあ」と言う");
  TCommandLine cl;
  cl.scriptName = NativePathToScript(dir + "/sub/main.nrs");
  cl.debug = true;
  LoadStartProgram(engine, cl, source);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(SjisToUtf8(source), "「やあ」と言う");
  EXPECT_EQ(engine.ScriptFileName(), cl.scriptName);
  EXPECT_EQ(engine.Base().FileName(), cl.scriptName);
  EXPECT_EQ(engine.Base().scriptPath, cl.scriptName);
  EXPECT_EQ(fs::current_path().string(), dir + "/sub");
  EXPECT_EQ(engine.Base().baseFolder, NativePathToScript(dir + "/sub/"));
  EXPECT_TRUE(engine.Base().debugFlag);
  EXPECT_FALSE(engine.Base().defaultScriptFlag);
}

TEST_F(ProgramStartTest, WithoutAScriptTheOneBesideTheProgramRuns) {
  WriteSjisFile(dir + "/prog.nrs", "「既定」と言う");
  TCommandLine cl;
  cl.programPath = dir + "/prog";
  LoadStartProgram(engine, cl, source);
  EXPECT_EQ(SjisToUtf8(source), "「既定」と言う");
  EXPECT_EQ(engine.ScriptFileName(), NativePathToScript(dir + "/prog.nrs"));
  EXPECT_TRUE(engine.Base().defaultScriptFlag);

  TNuraEngine alone;  // no default script either: nothing runs, nothing is said
  TCommandLine none;
  none.programPath = dir + "/other";
  std::string nothing;
  LoadStartProgram(alone, none, nothing);
  EXPECT_TRUE(alone.ScriptFileName().empty());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ProgramStartTest, WhatCannotBeLoadedIsShownAndNothingRuns) {
  TCommandLine missing;
  missing.scriptName = "none.nrs";
  LoadStartProgram(engine, missing, source);
  EXPECT_TRUE(engine.ScriptFileName().empty());
  EXPECT_TRUE(ConsoleRunFailed());

  WriteSjisFile(dir + "/plain.exe", "no container here");
  TNuraEngine runtime;
  TCommandLine damaged;
  damaged.runtimeFile = NativePathToScript(dir + "/plain.exe");
  damaged.scriptName = "ignored.nrs";  // the -runtime program wins
  LoadStartProgram(runtime, damaged, source);
  EXPECT_TRUE(runtime.ScriptFileName().empty());
  EXPECT_TRUE(runtime.Base().runtimeFlag);

  TNuraEngine resource;
  TCommandLine badResource;
  badResource.resourceFile = NativePathToScript(dir + "/absent.mix");
  badResource.scriptName = "ignored.nrs";
  LoadStartProgram(resource, badResource, source);
  EXPECT_TRUE(resource.ScriptFileName().empty());

  EXPECT_EQ(dialogs.messages, (Strings{"起動ファイル「none.nrs」が読込めません。",
                                       "指定されたプログラムファイルは壊れています。"}));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("リソースファイルの取り込みに失敗しました。"),
            std::string::npos);
}

}  // namespace
}  // namespace nura::test
