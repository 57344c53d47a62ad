// The common controls library (the list control, tool tips, window subclassing) is loaded when
// the first window that uses it is made, not when the program starts: in hotkey activation mode
// the program starts hidden, and loading the library and registering its window classes would
// add to every such start time and most of a megabyte of memory that nothing uses. The program
// calls these instead of the library's own functions, so that it never imports the library at
// load time.
#pragma once

#include <windows.h>
// after windows.h
#include <commctrl.h>

namespace tarvek::win {

// Loads the library (version 6, as the program's manifest asks) and registers the classes of
// the list control and the tool tips, once. False when it cannot be loaded.
bool EnsureCommonControls();

// SetWindowSubclass, RemoveWindowSubclass and DefSubclassProc, loading the library when needed.
// Without the library nothing is subclassed (false).
bool AddSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
bool RemoveSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id);
LRESULT DefaultSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tarvek::win
