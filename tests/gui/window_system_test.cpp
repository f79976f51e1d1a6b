// Before a console script needs the window system, the platform answers
// its questions without it; the answers must be the ones that the offscreen
// application gives once the window system is up, or a script would see
// its screen and colours change in the middle of a run.
#include <QFont>
#include <QGuiApplication>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "common/qt_app.h"
#include "platform/font_list.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"
#include "platform/system_info.h"
#include "platform/window_system.h"

namespace nura {
namespace {

struct TAnswers {
  int width = 0, height = 0;
  std::vector<uint32_t> colours;
  std::vector<std::string> substitutes;
  bool operator==(const TAnswers&) const = default;
};

TAnswers Answers() {
  TAnswers answers;
  const ScreenSize screen = PrimaryScreenSize();
  answers.width = screen.width;
  answers.height = screen.height;
  for (int index : {1, 2, 3, 4, 13, 99}) answers.colours.push_back(SystemColour(index));
  answers.substitutes = FontSubstituteNames();
  return answers;
}

TEST(WindowSystem, AnswersWithoutItAreTheOffscreenApplications) {
  test::EnsureQtApplication();
  if (QGuiApplication::platformName() != "offscreen") GTEST_SKIP() << "not on the offscreen platform";
  TWindowSystem* qt = InstalledWindowSystem();
  ASSERT_NE(qt, nullptr);
  const TAnswers up = Answers();
  InstallWindowSystem(nullptr);
  const TAnswers without = Answers();
  InstallWindowSystem(qt);
  EXPECT_EQ(without.width, up.width);
  EXPECT_EQ(without.height, up.height);
  EXPECT_EQ(without.colours, up.colours);
  // The names that Qt's font lookup holds after the program installed them.
  std::vector<std::string> qtNames;
  for (const QString& name : QFont::substitutions()) qtNames.push_back(QStringToSjis(name));
  EXPECT_EQ(without.substitutes, qtNames);
  EXPECT_EQ(without, up);
}

}  // namespace
}  // namespace nura
