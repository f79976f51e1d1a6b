#include "support/qt_app.h"

#include <QApplication>
#include <cstdlib>

namespace nura::test {

void EnsureQtApplication() {
  if (QCoreApplication::instance()) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "nurasera-test";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives until the test program ends
}

}  // namespace nura::test

// Fontconfig keeps its configuration for the life of the process once text
// is measured or drawn, the PulseAudio client its context once sound was
// played, the web engine its profile and Samba's client library a little
// talloc memory; the leak checker is told so.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libpulse\nleak:libQt6WebEngineCore\nleak:libtalloc.so\n";
}
