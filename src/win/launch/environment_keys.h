// The registry's environment keys, read as a log-on reads them, and this process's variables.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/ports.h"

namespace tarvek::win {

// HKLM "SYSTEM\CurrentControlSet\Control\Session Manager\Environment", HKCU "Environment" and
// HKCU "Volatile Environment"; text values only. A key that exists and cannot be read is
// marked unread, its values left empty.
EnvironmentKeys ReadEnvironmentKeys();
void SetProcessVariable(const std::string& name, const std::optional<std::string>& value);
// Whether WM_SETTINGCHANGE's lParam is the text "Environment" (as the system and setup programs
// announce a change of the variables).
bool AnnouncesEnvironment(LPARAM lParam);

}  // namespace tarvek::win
