// A QApplication for tests that need widgets (offscreen platform, or the
// one NURA_TEST_PLATFORM names). Test programs that link the GUI layer
// (NURA_TEST_WITH_GUI) also get the program's font substitutes and Qt's
// Japanese texts; those below it do without.
#pragma once

namespace nura::test {

// Creates the application object once; later calls do nothing.
void EnsureQtApplication();

}  // namespace nura::test
