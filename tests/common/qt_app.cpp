#include "common/qt_app.h"

#include <QApplication>
#include <cstdlib>

#include "gui/fonts.h"
#include "gui/qt_translations.h"

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
  // The fonts that scripts name are found, and Qt speaks, as in the program.
  InstallFontSubstitutes();
  InstallQtTranslations();
}

}  // namespace nura::test

// Fontconfig keeps its configuration for the life of the process once text
// is measured or drawn, the PulseAudio client its context once sound was
// played, the web engine its profile, Xlib and D-Bus the keyboard map and
// connection on a real display, and Samba's client library a little talloc
// memory; the leak checker is told so.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libpulse\nleak:libQt6WebEngineCore\nleak:libX11\nleak:libdbus-1\nleak:libtalloc.so\n";
}
