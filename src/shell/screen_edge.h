// Where the main window parks in mouse activation mode when the desktop spans several screens:
// the right edge of the screen it is on, at that screen's DPI.
#pragma once

#include <optional>
#include <vector>

namespace tarvek {

// A rectangle of the desktop in pixels; a screen left of or above the main one has negative
// places.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct Screen {
  ScreenRect area;  // the whole screen
  ScreenRect work;  // without the taskbar and the bars docked to it
  unsigned dpi = 96;
};

struct ScreenEdge {
  int right = 0;      // the pixel column the window parks against
  unsigned dpi = 96;  // of that edge's screen: the strip and the steps are twips at this DPI
};

// The screen the window is on is the one it shares the most pixels with, or the nearest one
// when it is on none. Parked at a screen's right edge, the window would show whole on a screen
// that goes on to the right at the window's height: the edge is then that screen's (and so on,
// to the right end of the desktop there). With one screen the edge is the screen's full width,
// as the program always parked; with several it is the work area's, so that a taskbar docked
// at the right does not cover the strip. Nothing without a screen.
std::optional<ScreenEdge> ParkingEdge(const std::vector<Screen>& screens, const ScreenRect& window);

// The place of a window's left edge and of the parking edge in twips at the edge's DPI, as the
// slide and the parking count them.
struct EdgePlace {
  int windowLeft = 0;
  int screenRight = 0;
  unsigned dpi = 96;
};

}  // namespace tarvek
