// A QApplication for tests that need widgets (offscreen platform).
#pragma once

namespace nura::test {

// Creates the application object once; later calls do nothing.
void EnsureQtApplication();

}  // namespace nura::test
