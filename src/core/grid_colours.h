// The colours of the grid's marked rows: red for a hotkey another program holds, grey for one
// switched off. A high-contrast theme gets its own colours instead, which it keeps readable.
#pragma once

#include <cstdint>
#include <optional>

namespace tarvek {

// Colours as the system gives them: 0x00BBGGRR.
using Colour = std::uint32_t;

// The system colours the choice draws on.
struct SystemColours {
  Colour window = 0;      // the list's background
  Colour windowText = 0;  // its ordinary text
  Colour grayText = 0;    // switched-off text
  Colour hotLight = 0;    // the theme's colour for what stands out (links)
};

// What a row is drawn in; none: the list's own colour.
struct RowColours {
  std::optional<Colour> text;
  std::optional<Colour> background;
  bool operator==(const RowColours&) const = default;
};

inline constexpr Colour kHeldRowRed = 0x0000C0;  // RGB(192, 0, 0)

// A switched-off row is grey whether or not its hotkey is held as well.
RowColours GridRowColours(bool held, bool disabled, bool highContrast, const SystemColours& system);

}  // namespace tarvek
