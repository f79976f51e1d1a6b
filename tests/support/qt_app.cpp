#include "support/qt_app.h"

#include <QApplication>
#include <cstdlib>

#include "gui/fonts.h"

namespace nura::test {

void EnsureQtApplication() {
  if (QCoreApplication::instance()) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "nurasera-test";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives until the test program ends
  // The fonts that scripts name are found as in the program.
  InstallFontSubstitutes();
}

}  // namespace nura::test

// Fontconfig keeps its configuration for the life of the process once text
// is measured or drawn, the PulseAudio client its context once sound was
// played, and the web engine its profile; the leak checker is told so.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\nleak:libpulse\nleak:libQt6WebEngineCore\n"; }
