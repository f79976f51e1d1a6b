#include "common/qt_app.h"

#include <QApplication>
#include <cstdlib>

#include "platform/gui/qt_window_system.h"

#ifdef NURA_TEST_WITH_GUI
#include "gui/fonts.h"
#include "gui/qt_translations.h"
#endif

namespace nura::test {

void EnsureQtApplication() {
  if (QCoreApplication::instance()) return;
  // Offscreen, unless the tests are asked to run on a real display
  // (NURA_TEST_PLATFORM=xcb under an X server).
  const char* platform = std::getenv("NURA_TEST_PLATFORM");
  setenv("QT_QPA_PLATFORM", platform && *platform ? platform : "offscreen", 1);
  static int argc = 1;
  static char name[] = "nurasera-test";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives until the test program ends
  InstallQtWindowSystem();
#ifdef NURA_TEST_WITH_GUI
  // The fonts that scripts name are found, and Qt speaks, as in the program.
  InstallFontSubstitutes();
  InstallQtTranslations();
#endif
}

}  // namespace nura::test
