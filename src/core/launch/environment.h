// Following the user's environment while the program runs. Programs started by a hotkey inherit
// this program's variables, which are those of log-on; when the user (or a setup program)
// changes the variables, Windows announces it with WM_SETTINGCHANGE "Environment", and the
// program takes the new values from the registry as a new log-on would.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/ports.h"

namespace tarvek {

// One variable to set in this process, or to remove (no value).
struct EnvironmentChange {
  std::string name;
  std::optional<std::string> value;
  bool operator==(const EnvironmentChange&) const = default;
};

// What this process's variables become when the keys went from before to now: the machine's
// variables, then the user's over them, then those of the log-on session; in each, the plain
// values first and then those with %NAMES%, expanded against what is set so far (and this
// process's variables for the rest). The user's Path follows the machine's, joined by ";".
// A variable that was in the keys before and is in none now is removed; variables the keys
// never held (set by whoever started this program, or by the system for the process) stay.
// Only the variables whose value changes are given.
std::vector<EnvironmentChange> RefreshedEnvironment(
    const EnvironmentKeys& before, const EnvironmentKeys& now,
    const std::function<std::optional<std::string>(const std::string&)>& current);

class EnvironmentFollower {
 public:
  // Takes the keys as they are at start, so that a variable deleted later is known as one.
  void Remember(LaunchWithOptionsPort& system);
  // The variables changed: this process takes them, and every later launch with it.
  void Refresh(LaunchWithOptionsPort& system);

 private:
  EnvironmentKeys known_;
};

}  // namespace tarvek
