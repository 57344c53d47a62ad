// The text form of a key combination, the combinations the system keeps for itself, and the
// validation of an edited binding against the grid.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/grid.h"
#include "core/ports.h"

namespace tarvek {

inline constexpr std::string_view kNoModifier = "无";

// "Ctrl + Alt + C", "Alt + F4", "无 + F1": the form shown in messages.
std::string HotkeyText(std::string_view m1, std::string_view m2, std::string_view key);

// The list's modifier text: "无", the one modifier chosen, or m1 + " + " + m2.
std::string ModifierTextOf(std::string_view m1, std::string_view m2);

// Combinations the system already uses; a binding on one of them is refused.
const std::array<std::string_view, 11>& ReservedCombos();
bool IsReservedCombo(std::string_view hotkeyText);

// Two combinations are the same when their modifier flags and key codes are, whatever order
// the modifier names were written in.
bool SameCombination(std::string_view modifierText1, std::string_view key1,
                     std::string_view modifierText2, std::string_view key2);

// How many positions of text start with part (0 for an empty part).
std::int16_t CountOccurrences(std::string_view text, std::string_view part);

// The message that refuses this key without a modifier (PrintScreen, which Windows keeps alone
// for its snipping tool; the middle button and the wheel, whose plain use belongs to the
// program under the pointer); none for a key that may be used alone.
std::optional<std::string> NoModifierRefusal(std::string_view key);

struct ComposeInput {
  std::string m1, m2, key, target, name;
  bool allowNoModifier = false;
  bool checkKeyInUse = true;
  bool changeMode = false;  // an existing binding is being changed ...
  int editorRow = -1;       // ... the one in this grid row, which is not tested against itself
};

// The binding's grid row text when every test passes; otherwise one message box and empty
// text.
std::string ComposeHotkeyRow(const ComposeInput& input, const GridPort& grid, DialogPort& dialogs);
// The same tests; the row's four texts as they are (a Tab in the name stays in the name).
std::optional<RowCells> ComposeHotkeyCells(const ComposeInput& input, const GridPort& grid,
                                           DialogPort& dialogs);

// The grid never holds more bindings than the table has slots: the reload after the next save
// would leave the bottom ones out of the list for good. True when the grid, with adding more
// rows, still fits; otherwise one message box.
bool RoomForBindings(const GridPort& grid, int adding, DialogPort& dialogs);

}  // namespace tarvek
