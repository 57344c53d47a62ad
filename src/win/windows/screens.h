// The screens of the desktop, for where the main window parks.
#pragma once

#include <windows.h>

#include <vector>

#include "shell/screen_edge.h"

namespace tarvek::win {

// Every screen with its whole area, its work area and its DPI. With a single screen its DPI is
// the window's (the one the window's twips have always been counted at).
std::vector<Screen> DesktopScreens(HWND window);

ScreenRect ScreenRectOf(const RECT& rect);

}  // namespace tarvek::win
