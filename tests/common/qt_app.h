// A QApplication for tests that need widgets (offscreen platform, or the
// one NURA_TEST_PLATFORM names).
#pragma once

namespace nura::test {

// Creates the application object once; later calls do nothing.
void EnsureQtApplication();

}  // namespace nura::test
