// Positions and sizes are laid out in twips (1/1440 inch) and turned into pixels at the DPI of
// the window they are for.
#pragma once

#include <windows.h>

namespace tarvek::win {

inline int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }
inline int PixelsToTwips(int pixels, UINT dpi) {
  return dpi == 0 ? pixels * 15 : MulDiv(pixels, 1440, static_cast<int>(dpi));
}

// The window's DPI, or the system's where the per-window call is missing.
UINT WindowDpi(HWND window);

// A system metric (an icon's or a menu check mark's size) at the given DPI.
int SystemMetricAtDpi(int index, UINT dpi);

// The DPI of the screen that holds the taskbar, at which the notification area draws its icons.
UINT TaskbarDpi();

// The system's message font, at the given DPI.
LOGFONTW MessageFont(UINT dpi);

}  // namespace tarvek::win
