#include "platform/system_info.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "common/run_program.h"
#include "platform/console_mode.h"

namespace nura {
namespace {

TEST(SystemInfo, FoldersAreNativeAndEndInSlash) {
  for (SystemFolder f : {SystemFolder::Desktop, SystemFolder::RecycleBin, SystemFolder::Documents,
                         SystemFolder::StartMenu, SystemFolder::Startup, SystemFolder::Temp,
                         SystemFolder::Program}) {
    const std::string path = SystemFolderPath(f);
    ASSERT_FALSE(path.empty()) << static_cast<int>(f);
    EXPECT_EQ(path.front(), '/') << path;
    EXPECT_EQ(path.back(), '/') << path;
    EXPECT_EQ(path.find('\\'), std::string::npos) << path;
  }
  EXPECT_EQ(SystemFolderPath(SystemFolder::SendTo), "");
  EXPECT_EQ(SystemFolderPath(SystemFolder::Windows), "");
}

TEST(SystemInfo, WithoutWindowSystemAnswersAsTheOffscreenPlatform) {
  const ScreenSize size = PrimaryScreenSize();
  EXPECT_EQ(size.width, 800);
  EXPECT_EQ(size.height, 800);
  EXPECT_EQ(SystemColour(4), 0xEFEFEFu);
  EXPECT_EQ(SystemColour(13), 0xC68C30u);  // RGB(48, 140, 198) as 0x00BBGGRR
  EXPECT_EQ(SystemColour(99), 0u);
  EXPECT_FALSE(PlatformName().empty());
}

// The XDG folders: the user's folders from user-dirs.dirs ("$HOME"
// replaced, paths tidied), the base folders from their variables when
// those are absolute, else the defaults under the home folder.
TEST(SystemInfo, FoldersFollowTheXdgSettings) {
  const std::string home = test::MakeTempFolder();
  std::filesystem::create_directories(home + "/.config");
  std::ofstream(home + "/.config/user-dirs.dirs") << "# made by xdg-user-dirs\n"
                                                     "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                                     "XDG_DOCUMENTS_DIR=\"/data//docs/\"\n";
  const char* names[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "TMPDIR"};
  std::vector<std::optional<std::string>> saved;
  for (const char* name : names) {
    const char* value = std::getenv(name);
    saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
  }
  setenv("HOME", home.c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  setenv("XDG_DATA_HOME", "relative/data", 1);
  setenv("TMPDIR", "/var//tmp/", 1);
  EXPECT_EQ(SystemFolderPath(SystemFolder::Desktop), home + "/Schreibtisch/");
  EXPECT_EQ(SystemFolderPath(SystemFolder::Documents), "/data/docs/");
  EXPECT_EQ(SystemFolderPath(SystemFolder::RecycleBin), home + "/.local/share/Trash/files/");
  EXPECT_EQ(SystemFolderPath(SystemFolder::Startup), home + "/.config/autostart/");
  EXPECT_EQ(SystemFolderPath(SystemFolder::Temp), "/var/tmp/");
  setenv("XDG_DATA_HOME", "/x/data", 1);
  setenv("XDG_CONFIG_HOME", (home + "/elsewhere").c_str(), 1);
  EXPECT_EQ(SystemFolderPath(SystemFolder::StartMenu), "/x/data/applications/");
  EXPECT_EQ(SystemFolderPath(SystemFolder::Desktop), home + "/Desktop/");  // no user-dirs.dirs there
  for (size_t i = 0; i < saved.size(); ++i) {
    if (saved[i]) setenv(names[i], saved[i]->c_str(), 1);
    else unsetenv(names[i]);
  }
  std::filesystem::remove_all(home);
}

// "-platform NAME" decides the mode before Qt is loaded, and leaves the
// arguments as Qt's application object would.
TEST(ConsoleMode, ThePlatformOptionGoesToTheEnvironment) {
  const char* saved = std::getenv("QT_QPA_PLATFORM");
  const std::string before = saved ? saved : "";
  std::string texts[] = {"nurasera", "a.nrs", "-platform", "minimal", "x", "-platform"};
  char* argv[7];
  for (int i = 0; i < 6; ++i) argv[i] = texts[i].data();
  argv[6] = nullptr;
  int argc = 6;
  TakePlatformOption(argc, argv);
  ASSERT_EQ(argc, 4);
  EXPECT_STREQ(argv[1], "a.nrs");
  EXPECT_STREQ(argv[2], "x");
  EXPECT_STREQ(argv[3], "-platform");  // no name follows: an argument
  EXPECT_EQ(argv[4], nullptr);
  EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "minimal");
  EXPECT_TRUE(WillBeConsoleMode());
  if (saved) setenv("QT_QPA_PLATFORM", before.c_str(), 1);
  else unsetenv("QT_QPA_PLATFORM");
}

}  // namespace
}  // namespace nura
