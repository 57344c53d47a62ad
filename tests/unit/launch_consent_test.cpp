// Programs that need administrator rights, and the window their consent prompt belongs to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/actions.h"
#include "recording_main_window.h"
#include "recording_system.h"
#include "shell/main_commands.h"

namespace tarvek {
namespace {

using Calls = std::vector<std::string>;

constexpr WindowRef kOwner = 0x77;  // what the user-interface thread hands out: 119

class LaunchConsentTest : public ::testing::Test, protected testing::ShellRig {
 protected:
  LaunchConsentTest() {
    for (const char* file : {"C:\\Tools\\setup.exe", "C:\\Tools\\plain.exe", "D:\\a.doc"})
      system.files[file] = "";
    system.needsElevation = {"C:\\Tools\\setup.exe", "\\\\nas\\x\\setup.exe"};
    system.consentOwner = kOwner;
  }
  // One press of a binding with this target and these options makes exactly these calls.
  void Check(const std::string& target, const LaunchOptions& options, const Calls& expected) {
    SCOPED_TRACE(target);
    system.calls.clear();
    program.core.actions.RunTarget(target, options);
    EXPECT_EQ(system.calls, expected);
  }

};

// CreateProcess refuses the program: the shell starts it as administrator with the same
// command, on a worker (the prompt waits for the user), owned by the window the
// user-interface thread gave (a worker's own system has none).
TEST_F(LaunchConsentTest, ARefusedProgramGoesToTheShellWithItsOptionsAndAnOwner) {
  const std::string elevated = "Background ShellExecute runas C:\\Tools\\setup.exe";
  Check("C:\\Tools\\setup.exe", {},
        {"StartProgram C:\\Tools\\setup.exe", elevated + " in C:\\Tools owner 119"});
  LaunchOptions options;
  options.Arguments = "/quiet";
  options.StartIn = "D:\\work";
  options.Window = WindowState::kMaximized;
  Check("C:\\Tools\\setup.exe", options,
        {"StartProgramWith \"C:\\Tools\\setup.exe\" /quiet in D:\\work show 3",
         elevated + " with /quiet in D:\\work show 3 owner 119"});
  // A program on the network starts on a worker; the owner was taken before.
  Check("\\\\nas\\x\\setup.exe", {},
        {"Background StartProgram \\\\nas\\x\\setup.exe",
         "Background ShellExecute runas \\\\nas\\x\\setup.exe in \\\\nas\\x owner 119"});
  // Started without a word: nothing more.
  Check("C:\\Tools\\plain.exe", options,
        {"StartProgramWith \"C:\\Tools\\plain.exe\" /quiet in D:\\work show 3"});
}

TEST_F(LaunchConsentTest, EveryRouteThatAsksForConsentHasAnOwnerAndNoOtherDoes) {
  LaunchOptions admin;
  admin.RunAs = RunLevel::kAdmin;
  Check("C:\\Tools\\plain.exe", admin,
        {"Background ShellExecute runas C:\\Tools\\plain.exe in C:\\Tools owner 119"});
  Check("D:\\a.doc", admin, {"Background ShellExecute runas D:\\a.doc in D:\\ owner 119"});
  LaunchOptions maximised;
  maximised.Window = WindowState::kMaximized;
  Check("D:\\a.doc", maximised, {"Background ShellExecute D:\\a.doc in D:\\ show 3"});
  Check("D:\\a.doc", {}, {"Background ShellOpen D:\\a.doc in D:\\"});
  // An elevated launcher starts through the desktop, which asks itself; without one, at its
  // own level, a refused program still gets its prompt.
  system.elevated = true;
  system.desktopShellAnswers = false;
  Check("C:\\Tools\\setup.exe", {},
        {"Background DesktopShellExecute C:\\Tools\\setup.exe in C:\\Tools",
         "Background StartProgramWith \"C:\\Tools\\setup.exe\" in C:\\Tools",
         "Background ShellExecute runas C:\\Tools\\setup.exe in C:\\Tools owner 119"});
}

// A hotkey and the command line's /run (which sends the hotkey to the window) run the slot;
// 运行程序 opens the row's target through the shell, which asks itself, over the main window.
TEST_F(LaunchConsentTest, TheHotkeyAndRunSlotTakeTheSameRouteAndTheGridsRunHasItsOwner) {
  program.LoadPhase();
  program.InitialisePhase();
  HotkeyEntry& entry = program.core.table.slots[0];
  entry = {};
  entry.ModifierText = "Ctrl + Alt";
  entry.KeyText = "S";
  entry.Target = "C:\\Tools\\setup.exe";
  system.calls.clear();
  program.core.RunSlot(0);
  EXPECT_EQ(system.CallsStartingWith("Background"),
            Calls{"Background ShellExecute runas C:\\Tools\\setup.exe in C:\\Tools owner 119"});
  grid.AddRow("Ctrl + Alt\tS\t安装\tC:\\Tools\\setup.exe");
  grid.currentRow = grid.Rows() - 1;
  grid.SetRowSlot(grid.currentRow, 0);
  system.calls.clear();
  commands.RunTarget();
  EXPECT_EQ(system.calls,
            Calls{"Background ShellOpen C:\\Tools\\setup.exe in C:\\Tools owner 119"});
}

}  // namespace
}  // namespace tarvek
