// What Windows shows on its page of programs that keep the session from ending.
#pragma once

#include <windows.h>

#include <string>

namespace tarvek::win {

// The reason shown beside the program while the window stands in the way of a shut-down or a
// log-off. Only for a top-level window of this thread; false when it could not be set (or the
// system has no such page).
bool SetShutdownReason(HWND window, const std::string& reason);
// Takes the window's reason back.
bool ClearShutdownReason(HWND window);

}  // namespace tarvek::win
