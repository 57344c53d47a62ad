#include "settings/settings_store.h"

#include "core/hotkey_table.h"

namespace tarvek {

std::string RunEntryValue(bool on, const std::string& programPath) {
  return on ? "\"" + programPath + "\"" : std::string(" ");
}

bool RunEntryIsOn(const std::string& value) { return value.size() > 1; }

bool FlagIsOn(const std::string& value) { return LeadingNumber(value) == 1; }

}  // namespace tarvek
