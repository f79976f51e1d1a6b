// The program starts without its large libraries: a console script that
// needs no window loads neither the window module nor Qt, and one that
// shows no web page, plays nothing, sends nothing and packs nothing never
// loads Qt WebEngine, Qt Multimedia, Qt Network, Qt Print Support, libcurl
// or libarchive; the first media command loads the module "media", the
// first TCP command the module "tcp". A module that is not there gives its
// reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/program_module.h"
#include "common/run_program.h"

namespace nura {
namespace {

// Runs `script` in console mode with the dynamic loader's list of the
// files it loads on standard error.
test::ProgramResult RunListingLibraries(const std::string& script) {
  const std::string folder = test::MakeTempFolder();
  test::WriteSjisFile(folder + "/s.nrs", script);
  setenv("LD_DEBUG", "files", 1);
  test::ProgramResult result = test::RunProgram({folder + "/s.nrs"}, folder);
  unsetenv("LD_DEBUG");
  std::filesystem::remove_all(folder);
  return result;
}

bool Loaded(const test::ProgramResult& result, const std::string& library) {
  return result.err.find(library) != std::string::npos;
}

TEST(ProgramModulesTest, ALineScriptLoadsNoLargeLibraryAndPlayingLoadsTheMediaModule) {
  // A quoted text before a property word names no object: no window.
  const test::ProgramResult plain = RunListingLibraries("A=1\n「1」と言う\n(「abc」の幅)を言う\n");
  ASSERT_EQ(plain.status, 0) << plain.err.substr(0, 2000);
  EXPECT_EQ(plain.out, "1\n\"abc\"の幅\n");
  EXPECT_TRUE(Loaded(plain, "libstdc++"));  // the listing works
  for (const char* heavy : {"libnura_window", "libQt6Core", "libQt6Gui", "libQt6Widgets", "libQt6WebEngineCore", "libQt6Multimedia", "libQt6Network", "libQt6PrintSupport",
                            "libnura_browser", "libnura_media", "libnura_tcp", "libnura_print", "libcurl",
                            "libarchive"}) {
    EXPECT_FALSE(Loaded(plain, heavy)) << heavy;
  }

  const test::ProgramResult media = RunListingLibraries("演奏状態を言う\n");
  ASSERT_EQ(media.status, 0) << media.err.substr(0, 2000);
  EXPECT_EQ(media.out, "未設定\n");
  EXPECT_TRUE(Loaded(media, "libnura_media"));
  EXPECT_TRUE(Loaded(media, "libQt6Multimedia"));
  EXPECT_FALSE(Loaded(media, "libQt6WebEngineCore"));

  const test::ProgramResult tcp = RunListingLibraries("TCP切断\nTCP接続状態を言う\n");
  ASSERT_EQ(tcp.status, 0) << tcp.err.substr(0, 2000);
  EXPECT_EQ(tcp.out, "切断\n");
  EXPECT_TRUE(Loaded(tcp, "libnura_tcp"));
  EXPECT_TRUE(Loaded(tcp, "libQt6Network"));
}

// The first time a console script needs a window, the run goes on in the
// window module with what it had: its variables, the main window it showed.
TEST(ProgramModulesTest, AWindowCommandHandsTheRunOverToTheWindowModule) {
  const test::ProgramResult button = RunListingLibraries(
      "X=5\n「あ」と言う\nOKをボタンとして作成\nOKのテキストは「押す」\n"
      "(OKのテキスト)を言う\nXを言う\n(母艦の可視)を言う\n(母艦の幅)を言う\n");
  EXPECT_EQ(button.status, 0);
  EXPECT_EQ(button.out, "あ\n押す\n5\n1\n640\n");
  EXPECT_TRUE(Loaded(button, "libnura_window"));
}

// The main window's properties, the clipboard and a timer hand over as
// well, and a timer keeps the program alive until it has run.
TEST(ProgramModulesTest, PropertiesClipboardAndTimersHandOver) {
  for (const auto& [script, out] : {
           std::pair{"(母艦の高さ)を言う\n", "400\n"},
           {"「写し」をコピー\nクリップボード取得\nそれを言う\n", "写し\n"},
           {"0.05秒後に「時」へ飛ぶタイマー設定\n待機\n*時\n「鳴った」と言う\n終わる\n", "鳴った\n"}}) {
    const test::ProgramResult r = RunListingLibraries(script);
    EXPECT_EQ(r.status, 0) << script;
    EXPECT_EQ(r.out, out) << script;
    EXPECT_TRUE(Loaded(r, "libnura_window")) << script;
  }
}

// A copy of the program without its window module runs what needs no
// window, and says why it cannot go on where a window or an event loop
// is needed.
TEST(ProgramModulesTest, ACopyWithoutTheWindowModuleSaysWhyItCannotGoOn) {
  const std::string folder = test::MakeTempFolder();
  const std::string exe = folder + "/alone";
  std::filesystem::copy_file(std::string(NURA_BIN_DIR) + "/nurasera", exe);
  test::WriteSjisFile(folder + "/button.nrs", "「前」と言う\nOKをボタンとして作成\n「後」と言う\n");
  test::WriteSjisFile(folder + "/server.nrs", "「受け」を呼ぶ「t」というDDEサーバー作成\n「待つ」と言う\n待機\n*受け\n");
  const test::ProgramResult button = test::RunProgram({"button.nrs"}, folder, "", exe);
  EXPECT_EQ(button.status, 1);
  EXPECT_EQ(button.out, "前\n");
  EXPECT_NE(button.err.find("ウィンドウを使えません。"), std::string::npos) << button.err;
  const test::ProgramResult server = test::RunProgram({"server.nrs"}, folder, "", exe);
  EXPECT_EQ(server.status, 1);
  EXPECT_EQ(server.out, "待つ\n");
  EXPECT_NE(server.err.find("libnura_window.so"), std::string::npos) << server.err;
  std::filesystem::remove_all(folder);
}

TEST(ProgramModulesTest, AMissingModuleGivesItsReason) {
  std::string error;
  EXPECT_EQ(ProgramModuleSymbol("not_there", "Entry", error), nullptr);
  EXPECT_NE(error.find("libnura_not_there.so"), std::string::npos) << error;
  EXPECT_FALSE(ProgramModuleLoaded("not_there"));
}

}  // namespace
}  // namespace nura
