// A program run as administrator does not hear window messages from ordinary programs unless it
// lets them through, window by window: the notification area's restart, a second start's
// hand-over, dropped files.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace tarvek::win {

// Lets the messages through to the window from programs of lower rights. Nothing on a system
// without the call, and nothing needed when the program runs with ordinary rights.
void AllowMessagesFromOrdinaryPrograms(HWND window, std::initializer_list<UINT> messages);

}  // namespace tarvek::win
