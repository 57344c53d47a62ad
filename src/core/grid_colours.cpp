#include "core/grid_colours.h"

namespace tarvek {

RowColours GridRowColours(bool held, bool disabled, bool highContrast,
                          const SystemColours& system) {
  RowColours colours;
  if (!held && !disabled) return colours;
  if (!highContrast) {
    colours.text = disabled ? system.grayText : kHeldRowRed;
    return colours;
  }
  // The theme's colours on its window colour, which the user chose to be readable together; a
  // theme that gives one of them the background's own colour gets the ordinary text colour.
  auto readable = [&system](Colour c) { return c != system.window ? c : system.windowText; };
  colours.background = system.window;
  colours.text = readable(disabled ? system.grayText : system.hotLight);
  return colours;
}

}  // namespace tarvek
