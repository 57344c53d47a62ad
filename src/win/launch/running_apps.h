// What runs already, for a press that brings a running program to the front: the windows of
// the processes a binding started (and of those they started), whether such a process still
// runs, the application identities of the windows, and the app an App Execution Alias starts.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/ports.h"

namespace tarvek::win {

std::vector<WindowRef> WindowsOfProcesses(const std::vector<StartedProcess>& processes);
bool StillRunning(const StartedProcess& process);
std::vector<AppWindow> WindowsWithAppIds();
std::optional<std::string> AliasAppId(const std::string& path);

}  // namespace tarvek::win
