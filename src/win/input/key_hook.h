// The process's one low-level keyboard hook, for the bindings that act only in some programs and
// for the abbreviations (with a mouse hook beside it, on the same thread, for the clicks that
// move the caret).
// It lives on a thread of its own that owns nothing of the windows: it reads the bindings it was
// last handed and posts what fired to the main window. It is there only while it has bindings.
#pragma once

#include <windows.h>

#include "core/input/key_watch.h"

namespace tarvek::win {

class KeyHook {
 public:
  // With bindings, the hook watches them from now on (its thread made when missing); a binding
  // that fires reaches mainWindow as kKeyFiredMessage. With none (null or empty), the hook and
  // its thread go.
  static void Watch(WatchedBindingsPtr bindings, HWND mainWindow);
  // Whether the hook's thread is there.
  static bool Running();
};

}  // namespace tarvek::win
