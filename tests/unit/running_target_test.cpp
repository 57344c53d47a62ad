// "If it runs already" for programs that hand over to another process, and for packaged apps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/actions.h"
#include "core/launch/launch_plan.h"
#include "recording_system.h"

namespace tarvek {
namespace {

using testing::RecordingSystem;
using testing::RecordingView;
using Calls = std::vector<std::string>;

class RunningTargetTest : public ::testing::Test {
 protected:
  RunningTargetTest() {
    activate.WhenRunning = IfRunning::kActivate;
    system.files["C:\\Windows\\notepad.exe"] = "";
  }
  // One press with "bring it to the front" makes exactly these calls.
  void Check(const std::string& target, const Calls& expected) {
    SCOPED_TRACE(target);
    system.calls.clear();
    runner.RunTarget(target, activate);
    EXPECT_EQ(system.calls, expected);
  }

  LaunchOptions activate;
  RecordingSystem system;
  RecordingView view{system.calls};
  ActionRunner runner{system, view};
};

// Windows 11's Notepad: the program file starts, hands over to the packaged app (a process it
// started) and ends. The window of what it started counts as the program's.
TEST_F(RunningTargetTest, WindowsOfWhatAPressStartedCountUntilTheyAreGone) {
  const std::string notepad = "C:\\Windows\\notepad.exe";
  Check(notepad, {"StartProgram " + notepad});  // process 1000
  system.ended.insert(1000);
  system.processWindows[1000] = {0x500};
  Check(notepad, {"BringToFront 1280"});
  // Closed: the next press starts another copy, and the ended process is forgotten, so that
  // whatever later has its id is not taken for it.
  system.processWindows.erase(1000);
  Check(notepad, {"StartProgram " + notepad});  // process 1001, running
  system.processWindows[1000] = {0x600};
  system.processWindows[1001] = {0x700};
  Check(notepad, {"BringToFront 1792"});
}

// A packaged app's window may belong to another process (Calculator's to
// ApplicationFrameHost.exe): it is found by the app's identity.
TEST_F(RunningTargetTest, PackagedAppsAreFoundByTheirIdentity) {
  system.appWindows = {{0x600, "Microsoft.WindowsCalculator_8wekyb3d8bbwe!App"},
                       {0x610, "Microsoft.WindowsTerminal_8wekyb3d8bbwe!App"},
                       {0x620, "Microsoft.WindowsNotepad_8wekyb3d8bbwe!App"},
                       {0x630, "Microsoft.WindowsNotepad_8wekyb3d8bbweX!App"}};
  Check("shell:AppsFolder\\microsoft.windowscalculator_8wekyb3d8bbwe!App", {"BringToFront 1536"});
  Check("shell:AppsFolder\\Microsoft.ScreenSketch_8wekyb3d8bbwe!App",
        {"Background ShellOpen shell:AppsFolder\\Microsoft.ScreenSketch_8wekyb3d8bbwe!App"});
  const std::string alias = "C:\\Users\\u\\AppData\\Local\\Microsoft\\WindowsApps\\wt.exe";
  system.files[alias] = "";
  system.aliases[alias] = "Microsoft.WindowsTerminal_8wekyb3d8bbwe!App";
  Check(alias, {"BringToFront 1552"});
  system.aliases.clear();
  Check(alias, {"StartProgram " + alias});
  // A program in a package's own folder: any app of its package.
  const std::string packaged =
      "C:\\Program "
      "Files\\WindowsApps\\Microsoft.WindowsNotepad_11.2312.18.0_x64__"
      "8wekyb3d8bbwe\\Notepad\\Notepad.exe";
  system.files[packaged] = "";
  Check(packaged, {"BringToFront 1568"});
}

}  // namespace
}  // namespace tarvek
