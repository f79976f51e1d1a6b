#include "platform/system_info.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace nura
