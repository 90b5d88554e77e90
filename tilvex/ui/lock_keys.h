#pragma once
// The state of the three lock keys, where the window system tells it.

namespace tilvex::ui {

struct LockKeys {
  bool known = false;
  bool caps = false;
  bool num = false;
  bool scroll = false;
};

// Under X11 the keyboard's indicators; elsewhere nothing is known.
LockKeys ReadLockKeys();

}  // namespace tilvex::ui
