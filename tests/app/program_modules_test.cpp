// The program starts without its large libraries: a script that shows no
// web page, plays nothing, sends nothing and packs nothing never loads Qt
// WebEngine, Qt Multimedia, Qt Network, Qt Print Support, libcurl or
// libarchive; the first media command loads the module "media", the first
// TCP command the module "tcp". A module that is not there gives its reason.
#include <gtest/gtest.h>

#include <cstdlib>
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
  return result;
}

bool Loaded(const test::ProgramResult& result, const std::string& library) {
  return result.err.find(library) != std::string::npos;
}

TEST(ProgramModulesTest, ALineScriptLoadsNoLargeLibraryAndPlayingLoadsTheMediaModule) {
  const test::ProgramResult plain = RunListingLibraries("A=1\n「1」と言う\n");
  ASSERT_EQ(plain.status, 0) << plain.err.substr(0, 2000);
  EXPECT_EQ(plain.out, "1\n");
  EXPECT_TRUE(Loaded(plain, "libQt6Widgets"));  // the listing works
  for (const char* heavy : {"libQt6WebEngineCore", "libQt6Multimedia", "libQt6Network", "libQt6PrintSupport",
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

TEST(ProgramModulesTest, AMissingModuleGivesItsReason) {
  std::string error;
  EXPECT_EQ(ProgramModuleSymbol("not_there", "Entry", error), nullptr);
  EXPECT_NE(error.find("libnura_not_there.so"), std::string::npos) << error;
  EXPECT_FALSE(ProgramModuleLoaded("not_there"));
}

}  // namespace
}  // namespace nura
