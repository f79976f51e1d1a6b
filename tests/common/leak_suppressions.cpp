// What the leak checker ignores, in every test program.
//
// Fontconfig keeps its configuration for the life of the process once text
// is measured or drawn, the PulseAudio client its context once sound was
// played, the web engine its profile, Xlib and D-Bus the keyboard map and
// connection on a real display, and Samba's client library a little talloc
// memory; the leak checker is told so.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libpulse\nleak:libQt6WebEngineCore\nleak:libX11\nleak:libdbus-1\nleak:libtalloc.so\n";
}
