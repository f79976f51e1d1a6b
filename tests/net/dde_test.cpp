// DDE commands and the editor link in whole scripts run by the program,
// over the local-socket links of a private folder.
#include <gmock/gmock.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "net/net_test_support.h"
#include "common/run_program.h"

extern char** environ;

namespace nura::test {
namespace {

using ::testing::HasSubstr;

class DdeProgramTest : public NetCommandTest {
 protected:
  void SetUp() override {
    NetCommandTest::SetUp();
    // The links of the program under test live in the test's own folder.
    setenv("XDG_RUNTIME_DIR", SubFolder("run").c_str(), 1);
    linkFolder = folder + "/run/nurasera-dde";
  }

  ProgramResult RunScript(const std::string& utf8) {
    WriteSjisFile(folder + "/dde.nrs", utf8);
    return RunProgram({"dde.nrs"}, folder);
  }

  // Runs the script while the link peer executes `requests` ("NAME=MACRO")
  // and records what reaches the editor's topic into `received`.
  ProgramResult RunWithPeer(const std::string& utf8, const std::vector<std::string>& requests,
                            std::string& received) {
    const std::string out = folder + "/peer.out";
    std::vector<std::string> args = {"/usr/bin/python3", PeerScript("link_peer.py"), linkFolder, out};
    args.insert(args.end(), requests.begin(), requests.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
      ADD_FAILURE() << "cannot start the link peer";
      return {};
    }
    const ProgramResult result = RunScript(utf8);
    int status = 0;
    waitpid(pid, &status, 0);
    received = ReadFile(out);
    return result;
  }

  std::string linkFolder;
};

TEST_F(DdeProgramTest, AScriptSendsToItsOwnTopic) {
  const ProgramResult result = RunScript(
      "「受け」を呼ぶ「Topic」というDDEサーバー作成\n"
      "「NuraSera」の「TOPIC」に「マクロ」をDDE送信\n"
      "「送った」を言う\n"
      "「nosuch」の「x」に「m」をDDE送信\n"
      "*受け\n"
      "「受けた:[{DDE文字列}]」を言う\n"
      "戻る\n");
  EXPECT_EQ(result.out, "受けた:[マクロ\n]\n送った\n");
  EXPECT_THAT(result.err, HasSubstr("サーバー\"nosuch\"トピック\"x\"でエラー。リンク出来ませんでした。"));
  EXPECT_EQ(result.status, 1);
}

TEST_F(DdeProgramTest, TenServersAtMostAndLabelsMustExist) {
  ProgramResult result = RunScript(
      "Iを0から10まで繰り返す(受けを呼ぶ「t{I}」というDDEサーバー作成)\n"
      "*受け\n");
  EXPECT_THAT(result.err,
              HasSubstr("サーバー\"自身\"トピック\"t10\"でエラー。これ以上サーバーを立ち上げられません。"));
  result = RunScript("無いを呼ぶ 「t」という DDEサーバー作成\n");
  EXPECT_THAT(result.err, HasSubstr("サーバー\"自身\"トピック\"t\"でエラー。ジャンプ先ラベルが見つかりません。"));
}

TEST_F(DdeProgramTest, AMacroWhileIdleRunsTheLabelToItsEnd) {
  std::string received;
  const ProgramResult result = RunWithPeer(
      "「受け」を呼ぶ「topic」というDDEサーバー作成\n"
      "「待機」を言う\n"
      "待機\n"
      "*受け\n"
      "「受けた:{DDE文字列}」を言う\n"
      "終わり\n",
      {"nurasera@topic=hello"}, received);
  // The program takes no event before it is idle: nothing in its run waits.
  EXPECT_EQ(result.out, "待機\n受けた:hello\n\n");
  EXPECT_EQ(result.status, 0);
}

TEST_F(DdeProgramTest, TheEditorAsksForTheLineAndEndsTheProgram) {
  std::string received;
  const ProgramResult result = RunWithPeer(
      "「一」を言う\n"
      "「」を「ready.txt」へ保存\n"
      "10秒待つ\n"
      "「来ない」を言う\n",
      {"--wait=" + folder + "/ready.txt", "nurasera@command=line", "nurasera@command=line nurapad",
       "nurasera@command=break nurapad"},
      received);
  EXPECT_EQ(result.out, "一\n実行ライン:3\n");
  EXPECT_EQ(received, "row 3\nrow 3\n");
  EXPECT_EQ(result.status, 0);
}

// "DDE送信" to a service that is not running starts "DDEファイル名": here a
// copy of the program named "server", whose default script serves topic
// "t" and saves what arrives. A program that cannot start gives no link.
TEST_F(DdeProgramTest, SendingStartsTheDdeProgram) {
  const std::string server = folder + "/server";
  std::filesystem::copy_file(std::string(NURA_BIN_DIR) + "/nurasera", server);
  // A copy of the program serves with the window module beside it.
  std::filesystem::copy_file(std::string(NURA_BIN_DIR) + "/libnura_window.so", folder + "/libnura_window.so");
  WriteSjisFile(server + ".nrs",
                "「受け」を呼ぶ「t」というDDEサーバー作成\n"
                "待機\n"
                "*受け\n"
                "DDE文字列を「" + folder + "/got.txt」へ保存\n"
                "終わり\n");
  ProgramResult result = RunScript("DDEファイル名=「" + server + "」\n"
                                   "「server」の「t」に「起こした」をDDE送信\n"
                                   "「送った」を言う\n");
  EXPECT_EQ(result.out, "送った\n");
  EXPECT_EQ(result.status, 0) << result.err;
  std::string got;
  for (int i = 0; i < 200 && got.empty(); ++i) {
    usleep(50 * 1000);
    got = ReadFile(folder + "/got.txt");
  }
  EXPECT_EQ(got, SJ("起こした\r\n"));

  result = RunScript("DDEファイル名=「" + folder + "/無い」\n"
                     "「nosuch」の「t」に「x」をDDE送信\n");
  EXPECT_THAT(result.err, HasSubstr("サーバー\"nosuch\"トピック\"t\"でエラー。リンク出来ませんでした。"));
  EXPECT_EQ(result.status, 1);
}

}  // namespace
}  // namespace nura::test
