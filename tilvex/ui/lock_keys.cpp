#include "lock_keys.h"

#include <QGuiApplication>

#ifdef TILVEX_HAVE_X11
#include <QtGui/qguiapplication_platform.h>
// Xlib's macros (None, Status, Bool ...) would clash with Qt's names; it comes last.
#include <X11/XKBlib.h>
#endif

namespace tilvex::ui {

#ifdef TILVEX_HAVE_X11
namespace {

bool IndicatorOn(Display* display, const char* name) {
  Bool on = False;
  const Atom atom = XInternAtom(display, name, True);
  if (atom == 0) return false;
  if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return false;
  return on;
}

}  // namespace

LockKeys ReadLockKeys() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (!display) return {};
  return {true, IndicatorOn(display, "Caps Lock"), IndicatorOn(display, "Num Lock"),
          IndicatorOn(display, "Scroll Lock")};
}
#else
LockKeys ReadLockKeys() {
  return {};
}
#endif

}  // namespace tilvex::ui
