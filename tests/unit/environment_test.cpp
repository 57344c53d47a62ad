// The user's environment, taken again when Windows announces a change.
#include "core/launch/environment.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/actions.h"
#include "recording_system.h"

namespace tarvek {
namespace {

using testing::RecordingSystem;
using testing::RecordingView;
using Calls = std::vector<std::string>;
using Changes = std::vector<EnvironmentChange>;

}  // namespace

void PrintTo(const EnvironmentChange& change, std::ostream* out) {
  *out << change.name << (change.value ? "=" + *change.value : " removed");
}

namespace {

// This process's variables as a lookup, names in any letter case.
auto Current(const std::map<std::string, std::string>& upperNames) {
  return [upperNames](const std::string& name) -> std::optional<std::string> {
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    auto it = upperNames.find(upper);
    if (it == upperNames.end()) return std::nullopt;
    return it->second;
  };
}

TEST(RefreshedEnvironment, UserOverMachineOverProcessWithPathsJoinedAndNamesExpanded) {
  EnvironmentKeys keys;
  keys.system = {{"Path", "%SystemRoot%\\system32;%TOOLS%", true},
                 {"TOOLS", "C:\\Tools", false},
                 {"TEMP", "%SystemRoot%\\TEMP", true},
                 {"USERNAME", "SYSTEM", false}};
  keys.user = {{"PATH", "%USERPROFILE%\\bin;%LOCAL%", true},
               {"LOCAL", "C:\\Local", false},
               {"temp", "%USERPROFILE%\\Temp", true}};
  keys.session = {{"USERNAME", "u", false}};
  const auto current = Current({{"SYSTEMROOT", "C:\\Windows"},
                                {"USERPROFILE", "C:\\Users\\u"},
                                {"USERNAME", "u"},
                                {"TOOLS", "C:\\Tools"},
                                {"TARVEK_LAUNCH_LOG", "x"}});
  EXPECT_EQ(RefreshedEnvironment({}, keys, current),
            (Changes{{"Path", "C:\\Windows\\system32;C:\\Tools;C:\\Users\\u\\bin;C:\\Local"},
                     {"TEMP", "C:\\Users\\u\\Temp"},
                     {"LOCAL", "C:\\Local"}}));
  // A variable deleted from the keys goes; one the machine still has falls back to its value;
  // what the keys never held (set for this process) stays.
  EnvironmentKeys later = keys;
  later.user = {{"Path", "C:\\Bin", false}};
  later.system.erase(later.system.begin() + 1);  // TOOLS
  const auto now =
      Current({{"SYSTEMROOT", "C:\\Windows"},
               {"USERPROFILE", "C:\\Users\\u"},
               {"USERNAME", "u"},
               {"TOOLS", "C:\\Tools"},
               {"LOCAL", "C:\\Local"},
               {"TEMP", "C:\\Users\\u\\Temp"},
               {"PATH", "C:\\Windows\\system32;C:\\Tools;C:\\Users\\u\\bin;C:\\Local"}});
  EXPECT_EQ(RefreshedEnvironment(keys, later, now),
            (Changes{{"Path", "C:\\Windows\\system32;%TOOLS%;C:\\Bin"},
                     {"TEMP", "C:\\Windows\\TEMP"},
                     {"TOOLS", std::nullopt},
                     {"LOCAL", std::nullopt}}));
  // Nothing changed: nothing to do; an empty user Path adds no ";".
  EnvironmentKeys bare;
  bare.system = {{"Path", "C:\\A;", false}};
  bare.user = {{"Path", "C:\\B", false}};
  EXPECT_EQ(RefreshedEnvironment(bare, bare, Current({{"PATH", "C:\\A;C:\\B"}})), Changes{});
  bare.user[0].value.clear();
  EXPECT_EQ(RefreshedEnvironment(bare, bare, Current({{"PATH", "C:\\A;C:\\B"}})),
            (Changes{{"Path", "C:\\A;"}}));
}

// A variable added after start reaches the process, and with it the next launch's %NAME%.
TEST(EnvironmentFollower, TheNextLaunchSeesTheNewValues) {
  RecordingSystem system;
  RecordingView view{system.calls};
  ActionRunner runner{system, view};
  system.environmentKeys.user = {{"OLD", "1", false}};
  system.environment = {{"OLD", "1"}};
  runner.RememberEnvironment();
  system.environmentKeys.user = {{"TOOL", "C:\\Tools\\t.exe", false}};
  runner.RefreshEnvironment();
  EXPECT_EQ(system.calls, (Calls{"SetEnvironmentValue TOOL=C:\\Tools\\t.exe",
                                 "SetEnvironmentValue OLD removed"}));
  system.calls.clear();
  runner.RunTarget("%TOOL%");
  EXPECT_EQ(system.calls, Calls{"StartProgram C:\\Tools\\t.exe"});
  // What was removed is not removed again.
  system.calls.clear();
  runner.RefreshEnvironment();
  EXPECT_EQ(system.calls, Calls{});
  // A key that cannot be read is no key emptied: its variables stay until it reads again.
  system.environmentKeys.userRead = false;
  system.environmentKeys.user.clear();
  system.environmentKeys.system = {{"PATH", "C:\\Win", false}};
  runner.RefreshEnvironment();
  EXPECT_EQ(system.calls, Calls{"SetEnvironmentValue PATH=C:\\Win"});
  system.calls.clear();
  system.environmentKeys.userRead = true;
  runner.RefreshEnvironment();
  EXPECT_EQ(system.calls, Calls{"SetEnvironmentValue TOOL removed"});
}

}  // namespace
}  // namespace tarvek
