// Key and modifier texts of any bytes, as a hand-edited list file or a stored activation
// hotkey gives them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/hotkey_table.h"
#include "core/validation.h"
#include "shell/program.h"

using namespace tarvek;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // A code the table names gives that name, and the name that code.
  const int code = KeyCodeFromName(text);
  const std::string_view name = KeyNameFromCode(code);
  if (!name.empty() && KeyCodeFromName(name) != code) std::abort();
  NoModifierRefusal(text);
  const int flags = ModifierFlagsFromText(text);
  if (flags < 0 || flags > (kModAlt | kModControl | kModShift | kModWin)) std::abort();
  if (Utf8CharLength(text) > text.size()) std::abort();
  LeadingNumber(text);
  const ActivationCombo combo = ParseActivationHotkeyText(text);
  if (combo.modifiers < 0 || combo.modifiers > 15) std::abort();
  StartHintText(text);
  const std::size_t half = size / 2;
  IsReservedCombo(HotkeyText(text.substr(0, half), text.substr(half), text));
  return 0;
}
