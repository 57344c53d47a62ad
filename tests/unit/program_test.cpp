#include "shell/program.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_main_window.h"
#include "recording_system.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::MemorySettings;
using testing::RecordingMainWindow;
using testing::RecordingSystem;
using Calls = std::vector<std::string>;
using Row = std::vector<std::string>;

const std::string kListPath = "D:\\Lists\\mine.htk";

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() { settings.values["FileSave"] = kListPath; }

  void WriteList(const std::vector<BindingTexts>& bindings, const std::string& path = kListPath) {
    system.files[path] = SerializeList(bindings, system);
  }
  // n bindings "Ctrl" + letter, named n0, n1, ...
  void WriteList(int n) {
    std::vector<BindingTexts> bindings;
    for (int i = 0; i < n; ++i) {
      bindings.push_back({"Ctrl", std::string(1, static_cast<char>('A' + i)),
                          "n" + std::to_string(i), "t" + std::to_string(i)});
    }
    WriteList(bindings);
  }
  void StartUp() {
    program.LoadPhase();
    program.InitialisePhase();
  }
  std::vector<std::string> MenuCaptions() const {
    std::vector<std::string> captions;
    for (const MenuItem& item : view.menu) captions.push_back(item.caption);
    return captions;
  }

  RecordingSystem system;
  MemorySettings settings;
  RecordingMainWindow view{system.calls};
  FakeGrid grid;
  Program program{system, settings, view, grid, view, "C:\\HK"};
};

const std::vector<BindingTexts> kThree = {
    {"Ctrl + Alt", "C", "我的计算器", "calc"},
    {"无", "F5", "记事本", "notepad"},
    {"Shift + Win", "↓", "关机", "关闭计算机"},
};

TEST_F(ProgramTest, LoadPhaseFillsTheGridRegistersAndBuildsTheMenu) {
  WriteList(kThree);
  program.LoadPhase();
  ASSERT_EQ(grid.Rows(), 4);
  EXPECT_EQ(grid.rows[1], (Row{"Ctrl + Alt", "C", "我的计算器", "calc"}));
  EXPECT_EQ(grid.rows[3], (Row{"Shift + Win", "↓", "关机", "关闭计算机"}));
  EXPECT_EQ(system.CallsStartingWith("RegisterHotkey"),
            (Calls{"RegisterHotkey -14080 3 67", "RegisterHotkey -14079 0 116",
                   "RegisterHotkey -14078 12 40"}));
  EXPECT_EQ(MenuCaptions(), (std::vector<std::string>{"我的计算器", "记事本", "关机"}));
  for (const MenuItem& item : view.menu) EXPECT_TRUE(item.enabled) << item.caption;
  EXPECT_EQ(view.frameCaption, "热键信息(共有3个热键)");
  EXPECT_EQ(grid.widths[0], 1400);
  EXPECT_EQ(grid.widths[1], 800);
  EXPECT_EQ(grid.widths[2], 4060);
}

TEST_F(ProgramTest, MenuShowsTheHotkeyAfterTheNameWhenAsked) {
  settings.values["ShowHotKeyNameInMenu"] = "1";
  WriteList(kThree);
  program.LoadPhase();
  EXPECT_EQ(MenuCaptions(), (std::vector<std::string>{"我的计算器   Ctrl + Alt+C", "记事本   无+F5",
                                                      "关机   Shift + Win+↓"}));
}

TEST_F(ProgramTest, MenuShowsNamesOnlyForAnyOtherSetting) {
  for (const char* value : {"0", " ", "", "2"}) {
    settings.values["ShowHotKeyNameInMenu"] = value;
    WriteList({{"Ctrl", "N", "记事本", "notepad"}});
    program.LoadPhase();
    EXPECT_EQ(MenuCaptions(), std::vector<std::string>{"记事本"}) << "[" << value << "]";
  }
}

TEST_F(ProgramTest, EmptyListGivesOneDisabledMenuItem) {
  program.LoadPhase();  // no file at the path
  ASSERT_EQ(view.menu.size(), 1u);
  EXPECT_EQ(view.menu[0].caption, "没有设置热键程序");
  EXPECT_FALSE(view.menu[0].enabled);
  EXPECT_EQ(view.frameCaption, "热键信息(共有0个热键)");
  EXPECT_EQ(system.CallsStartingWith("RegisterHotkey"), Calls{});
  EXPECT_EQ(grid.Rows(), 1);
}

TEST_F(ProgramTest, NameColumnNarrowsWhenTheGridNeedsAScrollBar) {
  WriteList(15);
  program.LoadPhase();
  EXPECT_EQ(grid.widths[2], 4060);

  WriteList(16);
  FakeGrid grid16;
  RecordingMainWindow view16{system.calls};
  Program program16{system, settings, view16, grid16, view16, "C:\\HK"};
  program16.LoadPhase();
  EXPECT_EQ(grid16.Rows(), 17);
  EXPECT_EQ(grid16.widths[2], 3820);
}

TEST_F(ProgramTest, WithoutAStoredPathTheListIsInTheProgramFolder) {
  settings.values["FileSave"] = " ";
  WriteList(kThree, "C:\\HK\\SaveKey.htk");
  program.LoadPhase();
  EXPECT_EQ(program.ListPath(), "C:\\HK\\SaveKey.htk");
  EXPECT_EQ(view.frameCaption, "热键信息(共有3个热键)");
}

TEST_F(ProgramTest, InitialisePhaseRegistersTheFixedHotkeysAndTheActivationRow) {
  WriteList(kThree);
  StartUp();
  Calls registrations;
  for (const std::string& c : system.calls) {
    if (c.find("Hotkey -1") != std::string::npos && c.find("-140") == std::string::npos) {
      registrations.push_back(c);
    }
  }
  EXPECT_EQ(registrations, (Calls{"RegisterHotkey -12544 8 32", "RegisterHotkey -15598 0 192",
                                  "UnregisterHotkey -12544", "RegisterHotkey -12544 8 32"}));
  EXPECT_EQ(grid.rows[1], (Row{"Win", "Space", "显示本软件", "无"}));
  EXPECT_EQ(grid.rows[2], (Row{"Ctrl + Alt", "C", "我的计算器", "calc"}));
  EXPECT_EQ(grid.Rows(), 5);
  EXPECT_EQ(grid.widths[3], 0);
  EXPECT_EQ(system.CallsStartingWith("View.AddTrayIcon").size(), 1u);
}

TEST_F(ProgramTest, StoredActivationHotkeyIsRegisteredInPlaceOfWinSpace) {
  settings.values["HotKeyName"] = "Ctrl + Alt\tF5";
  StartUp();
  Calls activation;
  for (const std::string& c : system.calls) {
    if (c.find("-12544") != std::string::npos) activation.push_back(c);
  }
  EXPECT_EQ(activation, (Calls{"RegisterHotkey -12544 8 32", "UnregisterHotkey -12544",
                               "RegisterHotkey -12544 3 116"}));
  EXPECT_EQ(grid.rows[1], (Row{"Ctrl + Alt", "F5", "显示本软件", "无"}));
  // The settings dialog's three boxes show it, and keep it as what a refused change falls
  // back to.
  const SettingsDialogModel& live = program.liveSettings;
  EXPECT_EQ((Row{live.ActivationBox(0), live.ActivationBox(1), live.ActivationBox(2)}),
            (Row{"Ctrl", "Alt", "F5"}));
  EXPECT_FALSE(live.SaveHotkeyEnabled());
  EXPECT_EQ(live.RegisteredActivation(), (KeyCombination{3, 116}));
}

TEST_F(ProgramTest, StoredBlankKeepsWinSpaceAndTakesNoOtherKey) {
  settings.values["HotKeyName"] = " ";
  StartUp();
  Calls activation;
  for (const std::string& c : system.calls) {
    if (c.find("-12544") != std::string::npos) activation.push_back(c);
  }
  EXPECT_EQ(activation, Calls{"RegisterHotkey -12544 8 32"});
  const SettingsDialogModel& live = program.liveSettings;
  EXPECT_EQ((Row{live.ActivationBox(0), live.ActivationBox(2)}), (Row{"Win", "Space"}));
  EXPECT_EQ(live.RegisteredActivation(), (KeyCombination{8, 32}));
}

TEST_F(ProgramTest, SettingsReachTheDispatch) {
  settings.values["PlaySound"] = "1";
  StartUp();
  system.calls.clear();
  program.core.MainWindowProc(wm::kHotkey, static_cast<std::uintptr_t>(ActivationHotkeyId), 0);
  EXPECT_EQ(system.calls, (Calls{"View.Show", "PlayWaveAsync C:\\HK\\hotkey.wav"}));
}

TEST_F(ProgramTest, MouseActivationModeIgnoresTheActivationHotkey) {
  settings.values["ActivateStatus"] = "1";
  StartUp();
  EXPECT_TRUE(program.core.flags.MouseActivation);
  system.calls.clear();
  program.core.MainWindowProc(wm::kHotkey, static_cast<std::uintptr_t>(ActivationHotkeyId), 0);
  EXPECT_EQ(system.calls, Calls{});
}

TEST_F(ProgramTest, TrayIconOnlyWhenShowIconIsEmptyOrOne) {
  settings.values["ShowIcon"] = "0";
  StartUp();
  EXPECT_EQ(system.CallsStartingWith("View.AddTrayIcon"), Calls{});
}

TEST_F(ProgramTest, MouseControllerKeysOnlyWhenSwitchedOn) {
  StartUp();
  for (int id = MouseKeyIdBase + 1; id <= MouseKeyIdBase + 8; ++id) {
    EXPECT_EQ(system.CallsStartingWith("RegisterHotkey " + std::to_string(id)), Calls{}) << id;
  }
  RecordingSystem on;
  RecordingMainWindow onView{on.calls};
  FakeGrid onGrid;
  settings.values["MouseCtrl"] = "1";
  Program withController{on, settings, onView, onGrid, onView, "C:\\HK"};
  withController.LoadPhase();
  withController.InitialisePhase();
  EXPECT_TRUE(withController.core.flags.MouseControllerOn);
  // The keypad keys in id order, then the letter keys under ids of their own.
  EXPECT_EQ(
      on.CallsStartingWith("RegisterHotkey 147"),
      (Calls{"RegisterHotkey 14737 0 97", "RegisterHotkey 14738 0 98", "RegisterHotkey 14739 0 99",
             "RegisterHotkey 14740 0 101", "RegisterHotkey 14741 0 100",
             "RegisterHotkey 14742 0 102", "RegisterHotkey 14743 0 103",
             "RegisterHotkey 14744 0 104", "RegisterHotkey 14745 0 65", "RegisterHotkey 14746 0 83",
             "RegisterHotkey 14747 0 68", "RegisterHotkey 14748 0 87", "RegisterHotkey 14749 0 74",
             "RegisterHotkey 14750 0 76", "RegisterHotkey 14751 0 75"}));
}

TEST_F(ProgramTest, ShutDownGivesEverythingBackOnce) {
  WriteList(kThree);
  StartUp();
  program.core.table.slots[3] = {};  // nothing after the list
  system.foreground = 0x300;
  program.core.actions.ToggleHideForegroundWindow();
  system.calls.clear();
  program.ShutDown();
  EXPECT_EQ(system.calls,
            (Calls{"View.RestoreButtonBehaviour", "UnregisterHotkey -12544", "UnregisterHotkey -14080", "UnregisterHotkey -14079",
                   "UnregisterHotkey -14078", "ShowWindow 768 5", "View.RemoveTrayIcon",
                   "View.RestoreWindowProcedures"}));
  system.calls.clear();
  program.ShutDown();
  EXPECT_EQ(system.calls, Calls{});
}

}  // namespace
}  // namespace tarvek
