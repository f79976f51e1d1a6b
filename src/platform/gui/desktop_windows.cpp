#include "platform/gui/desktop_windows.h"

// Qt before the X headers, whose macros (None, Bool, KeyPress ...) would
// spoil Qt's names.
#include <QGuiApplication>

#include <algorithm>
#include <clocale>
#include <locale.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
extern "C" {
#include <xdo.h>
}

namespace nura {
namespace {

// A pause between typed keys, in microseconds, so that slow clients keep up.
constexpr useconds_t kKeyDelay = 2000;

// The one connection to the X server, opened on first use; nil where the
// session is not X11 or the server lacks XTest.
xdo_t* Xdo() {
  static xdo_t* const xdo = []() -> xdo_t* {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    xdo_t* opened = xdo_new(nullptr);
    if (!opened) return nullptr;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(opened->xdpy, &event, &error, &major, &minor)) {
      xdo_free(opened);
      return nullptr;
    }
    return opened;
  }();
  return xdo;
}

Atom AtomNamed(Display* display, const char* name) { return XInternAtom(display, name, False); }

// The values of a property of 32-bit items (windows, cardinals); empty
// when the window has none.
std::vector<unsigned long> LongProperty(Display* display, Window window, const char* name) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> values;
  if (XGetWindowProperty(display, window, AtomNamed(display, name), 0, 1 << 16, False, AnyPropertyType, &type,
                         &format, &count, &after, &data) == Success &&
      data) {
    if (format == 32) {
      const auto* items = reinterpret_cast<const unsigned long*>(data);
      values.assign(items, items + count);
    }
    XFree(data);
  }
  return values;
}

// A window's title: _NET_WM_NAME (UTF-8), else WM_NAME in the locale's
// encoding.
std::string TitleOf(Display* display, Window window) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, AtomNamed(display, "_NET_WM_NAME"), 0, 1 << 14, False,
                         AtomNamed(display, "UTF8_STRING"), &type, &format, &count, &after, &data) == Success &&
      data) {
    if (format == 8) title.assign(reinterpret_cast<const char*>(data), count);
    XFree(data);
  }
  if (!title.empty()) return title;
  XTextProperty text{};
  if (XGetWMName(display, window, &text) && text.value) {
    char** list = nullptr;
    int items = 0;
    if (Xutf8TextPropertyToTextList(display, &text, &list, &items) >= Success && list) {
      if (items > 0 && list[0]) title = list[0];
      XFreeStringList(list);
    }
    XFree(text.value);
  }
  return title;
}

// The top-level windows, topmost first: the window manager's clients in
// stacking order, or without a window manager the root's mapped children.
std::vector<Window> TopLevelWindows(Display* display) {
  const Window root = DefaultRootWindow(display);
  std::vector<unsigned long> clients = LongProperty(display, root, "_NET_CLIENT_LIST_STACKING");
  if (clients.empty()) clients = LongProperty(display, root, "_NET_CLIENT_LIST");
  if (!clients.empty()) return std::vector<Window>(clients.rbegin(), clients.rend());
  Window rootReturn = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  std::vector<Window> windows;
  if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return windows;
  for (unsigned int i = count; i-- > 0;) {  // bottom to top as returned
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
        !attributes.override_redirect) {
      windows.push_back(children[i]);
    }
  }
  if (children) XFree(children);
  return windows;
}

// Errors of requests on windows that have gone meanwhile are no reason to
// end the program.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

class TQuietErrors {
 public:
  explicit TQuietErrors(Display* display) : display_(display), previous_(XSetErrorHandler(IgnoreErrors)) {}
  ~TQuietErrors() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }

 private:
  Display* display_;
  XErrorHandler previous_;
};

// The key symbol of the UTF-8 character at `at`, which moves past it; 0
// for a broken sequence (its first byte is skipped).
KeySym NextKeySym(const std::string& utf8, size_t& at) {
  const auto lead = static_cast<unsigned char>(utf8[at++]);
  const int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
  if (extra < 0 || utf8.size() - at < static_cast<size_t>(extra)) return 0;
  unsigned long point = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    const auto next = static_cast<unsigned char>(utf8[at]);
    if ((next & 0xC0) != 0x80) return 0;
    point = point << 6 | (next & 0x3F);
    ++at;
  }
  return point < 0x100 ? point : 0x01000000ul | point;
}

// Types characters that no key carries: each is put on a spare key code
// for a moment. Clients learn a changed keyboard map asynchronously, so
// the keys wait a little after the change and before it is undone.
void TypeUnmapped(Display* display, const std::vector<KeySym>& symbols) {
  if (symbols.empty()) return;
  constexpr useconds_t kMapSettle = 100000;
  int low = 0, high = 0, perCode = 0;
  XDisplayKeycodes(display, &low, &high);
  KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(low), high - low + 1, &perCode);
  if (!map) return;
  std::vector<KeyCode> spare;
  for (int code = low; code <= high; ++code) {
    bool empty = true;
    for (int i = 0; i < perCode; ++i) empty = empty && map[(code - low) * perCode + i] == NoSymbol;
    if (empty) spare.push_back(static_cast<KeyCode>(code));
  }
  XFree(map);
  for (size_t done = 0; done < symbols.size() && !spare.empty();) {
    const size_t count = std::min(spare.size(), symbols.size() - done);
    for (size_t i = 0; i < count; ++i) {
      KeySym pair[2] = {symbols[done + i], symbols[done + i]};
      XChangeKeyboardMapping(display, spare[i], 2, pair, 1);
    }
    XSync(display, False);
    usleep(kMapSettle);
    for (size_t i = 0; i < count; ++i) {
      XTestFakeKeyEvent(display, spare[i], True, CurrentTime);
      XTestFakeKeyEvent(display, spare[i], False, CurrentTime);
      XFlush(display);
      usleep(kKeyDelay);
    }
    XSync(display, False);
    usleep(kMapSettle);
    for (size_t i = 0; i < count; ++i) {
      KeySym none[2] = {NoSymbol, NoSymbol};
      XChangeKeyboardMapping(display, spare[i], 2, none, 1);
    }
    XSync(display, False);
    done += count;
  }
}

}  // namespace

bool DesktopWindowsReachable() { return Xdo() != nullptr; }

std::vector<TDesktopWindow> DesktopWindows() {
  std::vector<TDesktopWindow> windows;
  xdo_t* xdo = Xdo();
  if (!xdo) return windows;
  const TQuietErrors quiet(xdo->xdpy);
  for (Window window : TopLevelWindows(xdo->xdpy)) {
    std::string title = TitleOf(xdo->xdpy, window);
    if (!title.empty()) windows.push_back({window, std::move(title)});
  }
  return windows;
}

void ActivateDesktopWindow(uint64_t id) {
  xdo_t* xdo = Xdo();
  if (!xdo) return;
  const TQuietErrors quiet(xdo->xdpy);
  const Window root = DefaultRootWindow(xdo->xdpy);
  if (!LongProperty(xdo->xdpy, root, "_NET_SUPPORTING_WM_CHECK").empty() && xdo_activate_window(xdo, id) == 0) {
    XFlush(xdo->xdpy);
    return;
  }
  XRaiseWindow(xdo->xdpy, id);
  XSetInputFocus(xdo->xdpy, id, RevertToParent, CurrentTime);
  XFlush(xdo->xdpy);
}

uint64_t ActiveDesktopWindow() {
  xdo_t* xdo = Xdo();
  if (!xdo) return 0;
  const TQuietErrors quiet(xdo->xdpy);
  const Window root = DefaultRootWindow(xdo->xdpy);
  if (!LongProperty(xdo->xdpy, root, "_NET_SUPPORTING_WM_CHECK").empty()) {
    const std::vector<unsigned long> active = LongProperty(xdo->xdpy, root, "_NET_ACTIVE_WINDOW");
    return active.empty() ? 0 : active[0];
  }
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(xdo->xdpy, &focus, &revert);
  return focus == PointerRoot ? 0 : focus;
}

void SendDesktopKeySequence(const std::string& sequence) {
  if (xdo_t* xdo = Xdo()) {
    xdo_send_keysequence_window(xdo, CURRENTWINDOW, sequence.c_str(), kKeyDelay);
    XFlush(xdo->xdpy);
  }
}

void TypeDesktopText(const std::string& utf8) {
  xdo_t* xdo = Xdo();
  if (!xdo) return;
  const TQuietErrors quiet(xdo->xdpy);
  std::vector<KeySym> unmapped;
  size_t at = 0;
  while (at < utf8.size()) {
    const size_t start = at;
    const KeySym sym = NextKeySym(utf8, at);
    if (XKeysymToKeycode(xdo->xdpy, sym)) {
      TypeUnmapped(xdo->xdpy, unmapped);
      unmapped.clear();
      // libxdo holds SHIFT where the character needs it; it splits text
      // by the C library's multibyte rules, so the text is read as UTF-8
      // whatever the program's locale.
      const std::string one = utf8.substr(start, at - start);
      const locale_t utf8Locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
      const locale_t previous = utf8Locale ? uselocale(utf8Locale) : static_cast<locale_t>(0);
      xdo_enter_text_window(xdo, CURRENTWINDOW, one.c_str(), kKeyDelay);
      if (utf8Locale) {
        uselocale(previous);
        freelocale(utf8Locale);
      }
    } else if (sym) {
      unmapped.push_back(sym);
    }
  }
  TypeUnmapped(xdo->xdpy, unmapped);
  XFlush(xdo->xdpy);
}

}  // namespace nura
