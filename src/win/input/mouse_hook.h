// The process's one low-level mouse hook, for the bindings on the middle button, the side
// buttons and the wheel. It lives on a thread of its own, so that the pointer never waits for
// this program's windows: it reads the bindings it was last handed and posts what fired to the
// main window. It is there only while it has bindings.
#pragma once

#include <windows.h>

#include "core/input/key_watch.h"

namespace tarvek::win {

class MouseHook {
 public:
  // With bindings, the hook watches them from now on (its thread made when missing); a binding
  // that fires reaches mainWindow as kMouseFiredMessage. With none (null or empty), the hook and
  // its thread go.
  static void Watch(WatchedBindingsPtr bindings, HWND mainWindow);
  // Whether the hook's thread is there.
  static bool Running();
};

}  // namespace tarvek::win
