#include "platform/gui/window_manager.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

#if QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace nura {

namespace {

#if QT_CONFIG(xcb)
// The window that property `atom` of `window` names; 0 when there is none.
xcb_window_t WindowProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t atom) {
  const xcb_get_property_cookie_t cookie = xcb_get_property(connection, 0, window, atom, XCB_ATOM_WINDOW, 0, 1);
  xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
  if (!reply) return 0;
  xcb_window_t named = 0;
  if (reply->type == XCB_ATOM_WINDOW && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
    std::memcpy(&named, xcb_get_property_value(reply), sizeof named);
  std::free(reply);
  return named;
}

// An EWMH window manager keeps a child window whose property names itself,
// and names it on the root window.
bool X11WindowManagerRuns() {
  const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return true;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  if (!screen) return true;
  static const char kName[] = "_NET_SUPPORTING_WM_CHECK";
  xcb_intern_atom_reply_t* atom =
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof kName - 1, kName), nullptr);
  if (!atom) return false;
  const xcb_atom_t check = atom->atom;
  std::free(atom);
  if (check == XCB_ATOM_NONE) return false;
  const xcb_window_t child = WindowProperty(connection, screen->root, check);
  return child != 0 && WindowProperty(connection, child, check) == child;
}
#endif

}  // namespace

bool WindowManagerRuns() {
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return false;
#if QT_CONFIG(xcb)
  if (platform == QLatin1String("xcb")) return X11WindowManagerRuns();
#endif
  return true;
}

}  // namespace nura
