// The file-handle commands run from program text, where a line loop finds
// its handle and variable words through the words it looked up last: words
// renamed, closed, opened again, replaced by plain values or protected must
// be seen at once, and more handles than the words kept must still read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "commands/file_handle_commands.h"
#include "common/run_program.h"
#include "engine/engine_fixture.h"
#include "platform/native_path.h"

namespace nura::test {
namespace {

// Answers "はい" when a file is to be changed.
class AllowingDialogs : public RecordingDialogs {
 public:
  AllowingDialogs() { choice = ErrorChoice::Continue; }
  std::string AskButtons(const std::string&, const std::string&, const std::vector<std::string>&) override {
    return SJ("はい");
  }
};

class HandleProgram : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RegisterFileHandleCommands();
    folder = MakeTempFolder();
  }
  void TearDown() override {
    engine.Base().words.Clear();  // the streams close before the folder goes
    std::filesystem::remove_all(folder);
    EngineTest::TearDown();
  }
  // A file of the folder with `bytes`; its name as a script writes it (UTF-8).
  std::string File(const std::string& name, const std::string& bytes) {
    std::ofstream(folder + "/" + name, std::ios::binary) << bytes;
    return SjisToUtf8(NativePathToScript(folder + "/" + name));
  }
  // Runs `utf8` with the changes of files allowed.
  bool RunHere(const std::string& utf8) {
    AllowingDialogs allowing;
    SetDialogs(&allowing);
    const bool ran = Run(utf8);
    dialogs.messages = allowing.messages;
    SetDialogs(&dialogs);
    return ran;
  }
  std::string folder;
};

TEST_F(HandleProgram, WordsRenamedClosedReopenedAndReplacedBetweenReads) {
  const std::string a = File("a.txt", "a1\r\na2\r\na3\r\n");
  const std::string b = File("b.txt", "b1\r\nb2\r\n");
  ASSERT_TRUE(RunHere("Aで「" + a + "」のハンドルを開く\n"
                  "Bで「" + b + "」のハンドルを開く\n"
                  "2回(\n"
                  "  LにAのハンドルを一行読む\n"
                  "  Lを言う\n"
                  "  MにBのハンドルを一行読む\n"
                  "  Mを言う\n"
                  ")\n"
                  "Aを「C」に名義変更\n"
                  "LにCのハンドルを一行読む\n"
                  "Lを言う\n"
                  "LにAのハンドルを一行読む\n"
                  "Lを言う\n"
                  "Cのハンドルを閉じる\n"
                  "Cで「" + b + "」のハンドルを開く\n"
                  "LにCのハンドルを一行読む\n"
                  "Lを言う\n"
                  "Cのハンドル最後か\n"
                  "それを言う\n"
                  "Bのハンドル最後か\n"
                  "それを言う\n"
                  "Bのハンドルを閉じる\n"
                  "B=7\n"
                  "LにBのハンドルを一行読む\n"
                  "Bのハンドル最後か\n"
                  "Bを言う\n"
                  "Cのハンドル最後か\n"
                  "それを言う\n"))
      << prepareError;
  EXPECT_EQ(dialogs.messages,
            (std::vector<std::string>{"a1", "b1", "a2", "b2", "a3", "a3", "b1", "0", "1", "7", "0"}));
  EXPECT_EQ(Log(),
            "[エラー] test.nrs(12行目): ファイル\"ハンドル:A\"が、ありません。\r\n"
            "[エラー] test.nrs(24行目): ファイル\"ハンドル:B\"が、ありません。\r\n"
            "[エラー] test.nrs(25行目): 変数\"B\"が見つかりません。\r\n");
}

TEST_F(HandleProgram, MoreHandlesAndVariablesThanTheWordsKeptReadInTurn) {
  std::string open, read, expected;
  std::vector<std::string> want;
  for (int k = 1; k <= 5; ++k) {
    const std::string n = std::to_string(k);
    open += "H" + n + "で「" + File("f" + n + ".txt", "x" + n + "\ny" + n + "\n") + "」のハンドルを開く\n";
    read += "  V" + n + "にH" + n + "のハンドルを一行読む\n  V" + n + "を言う\n";
  }
  for (const char* line : {"x", "y", ""})
    for (int k = 1; k <= 5; ++k) want.push_back(*line ? line + std::to_string(k) : "");
  ASSERT_TRUE(RunHere(open + "3回(\n" + read + ")\nH3のハンドル最後か\nそれを言う\n")) << prepareError;
  want.push_back("1");
  EXPECT_EQ(dialogs.messages, want);
  EXPECT_EQ(Log(), "");
}

TEST_F(HandleProgram, LinesGoToTheResultReadOnlyWordsAndTheHandleItself) {
  const std::string c = File("c.txt", std::string("x1\r\ny2\rz3\n\0w4", 13));
  ASSERT_TRUE(RunHere("Hで「" + c + "」のハンドルを開く\n"
                  "Hのハンドルを一行読む\n"
                  "それを言う\n"
                  "属性なしにHのハンドルを一行読む\n"
                  "LにHのハンドルを一行読む\n"
                  "Lを言う\n"
                  "HにHのハンドルを一行読む\n"
                  "Hを言う\n"
                  "LにHのハンドルを一行読む\n"
                  "Lを言う\n"))
      << prepareError;
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"x1", "y2", "z3", "y2"}));
  EXPECT_EQ(Log(),
            "[エラー] test.nrs(4行目): \"属性なし\"は、読取専用です。\r\n"
            "[エラー] test.nrs(9行目): ファイル\"ハンドル:H\"が、ありません。\r\n");
}

// A text to be written is evaluated as the arguments are bound, before the
// handler looks up its handle: code it runs may close the handle, which
// then counts as gone.
TEST_F(HandleProgram, ATextWhoseEvaluationClosesTheHandleWritesNothing) {
  const std::string d = File("d.txt", "abc\r\n");
  ASSERT_TRUE(RunHere("Hで「" + d + "」のハンドルを開く\n"
                  "「{閉()}XYZ」をHのハンドルへ一行書く\n"
                  "Hで「" + d + "」のハンドルを開く\n"
                  "「{閉()}XYZ」をHに3つハンドルにバイナリを書く\n"
                  "Hで「" + d + "」のハンドルを開く\n"
                  "「Q」をHのハンドルへ一行書く\n"
                  "Hのハンドルを閉じる\n"
                  "終わる\n"
                  "*閉\n"
                  "Hのハンドルを閉じる\n"
                  "戻る\n"))
      << prepareError;
  EXPECT_EQ(Log(), "[エラー] test.nrs(2行目): ファイル\"ハンドル:H\"が、ありません。\r\n");
  std::ifstream in(folder + "/d.txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "Q\r\n\r\n");
}

// Names in backquotes are the words' names without them, for the handle
// and the variable alike, and in the error that names a missing handle.
TEST_F(HandleProgram, NamesInBackquotesReachTheirWords) {
  const std::string q = File("q.txt", "q1\r\nq2\r\n");
  ASSERT_TRUE(RunHere("Hで「" + q + "」のハンドルを開く\n"
                      "2回(\n"
                      "  `L`に`H`のハンドルを一行読む\n"
                      "  Lを言う\n"
                      ")\n"
                      "`H`のハンドル最後か\n"
                      "それを言う\n"
                      "Lに`G`のハンドルを一行読む\n"))
      << prepareError;
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"q1", "q2", "1"}));
  EXPECT_EQ(Log(), "[エラー] test.nrs(8行目): ファイル\"ハンドル:G\"が、ありません。\r\n");
}

}  // namespace
}  // namespace nura::test
