#include "shell/main_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
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

const std::string kListPath = "D:\\Lists\\mine.htk";

const std::vector<BindingTexts> kThree = {
    {"Ctrl + Alt", "C", "我的计算器", "calc"},
    {"无", "F5", "工具", "C:\\Tools\\app.exe"},
    {"Shift + Win", "↓", "网站", "http://example.com/"},
};

// A program started on a list of three bindings, with the calls of the start-up cleared.
class MainCommandsTest : public ::testing::Test {
 protected:
  MainCommandsTest() {
    settings.values["FileSave"] = kListPath;
    settings.calls = &system.calls;
  }

  void StartUp(const std::vector<BindingTexts>& bindings = kThree) {
    system.files[kListPath] = SerializeList(bindings, system);
    program.LoadPhase();
    program.InitialisePhase();
    system.calls.clear();
  }
  Calls CallsOf(void (MainCommands::*command)()) {
    system.calls.clear();
    (commands.*command)();
    return system.calls;
  }
  Calls CallsAtRow(int row, void (MainCommands::*command)()) {
    grid.currentRow = row;
    return CallsOf(command);
  }
  ProgramFlags& flags() { return program.core.flags; }

  RecordingSystem system;
  MemorySettings settings;
  RecordingMainWindow view{system.calls};
  FakeGrid grid;
  Program program{system, settings, view, grid, view, "C:\\HK"};
  MainCommands commands{program, system, view, grid};
};

// --- Hide, show, minimise ---------------------------------------------------------------------

TEST_F(MainCommandsTest, HotkeyModeHidesAndTheActivationHotkeyBringsTheWindowBack) {
  StartUp();
  flags().MainWindowShown = true;
  EXPECT_EQ(CallsOf(&MainCommands::Hide), Calls{"View.Hide"});
  EXPECT_FALSE(flags().MainWindowShown);
  EXPECT_EQ(view.lefts, std::vector<int>{});

  system.calls.clear();
  program.core.MainWindowProc(wm::kHotkey, static_cast<std::uintptr_t>(ActivationHotkeyId), 0);
  EXPECT_EQ(system.calls, Calls{"View.Show"});
  EXPECT_TRUE(flags().MainWindowShown);
}

TEST_F(MainCommandsTest, ShowCommandShowsOnlyWhatTheActivationHotkeyDidNotShow) {
  StartUp();
  EXPECT_EQ(CallsOf(&MainCommands::ShowWindow), Calls{"View.Show"});
  EXPECT_FALSE(flags().MainWindowShown);  // showing by the menu leaves the flag alone
  flags().MainWindowShown = true;
  EXPECT_EQ(CallsOf(&MainCommands::ShowWindow), Calls{});
  EXPECT_TRUE(flags().MainWindowShown);
}

TEST_F(MainCommandsTest, MinimisingHidesInEitherMode) {
  for (const char* mode : {"0", "1"}) {
    settings.values["ActivateStatus"] = mode;
    RecordingSystem s;
    RecordingMainWindow v{s.calls};
    FakeGrid g;
    Program p{s, settings, v, g, v, "C:\\HK"};
    MainCommands c{p, s, v, g};
    p.InitialisePhase();
    p.core.flags.MainWindowShown = true;
    s.calls.clear();
    c.Minimised();
    EXPECT_EQ(s.calls, Calls{"View.Hide"}) << "mode " << mode;
    EXPECT_FALSE(p.core.flags.MainWindowShown) << "mode " << mode;
    EXPECT_FALSE(p.core.flags.ParkedAtEdge) << "mode " << mode;
  }
}

// --- Mouse activation: parking at the right screen edge ------------------------------------

TEST_F(MainCommandsTest, MouseModeHideSlidesInStepsAndParksWithAStripShowing) {
  settings.values["ActivateStatus"] = "1";
  StartUp();
  view.windowLeft = 3000;
  view.screenWidth = 15360;
  flags().MainWindowShown = true;
  EXPECT_EQ(CallsOf(&MainCommands::Hide), Calls{});  // never hidden in this mode
  // Steps of 100 twips while screen width - 100 is beyond the left edge: 3100 ... 15300.
  ASSERT_EQ(view.lefts.size(), 124u);
  EXPECT_EQ(view.lefts[0], 3100);
  EXPECT_EQ(view.lefts[1], 3200);
  EXPECT_EQ(view.lefts[122], 15300);
  EXPECT_EQ(view.lefts.back(), 15360 - 80);
  EXPECT_EQ(view.pendingMessageRounds, 123);  // messages are handled before every step
  EXPECT_TRUE(flags().ParkedAtEdge);
  EXPECT_TRUE(flags().MainWindowShown);
}

TEST_F(MainCommandsTest, SlideFromNearTheEdgeGoesStraightToItsPlace) {
  StartUp();
  for (int left : {15260, 15279, 15300, 16000}) {
    view.lefts.clear();
    view.windowLeft = left;
    view.pendingMessageRounds = 0;
    commands.SlideToScreenEdge();
    EXPECT_EQ(view.lefts, std::vector<int>{15280}) << left;
    EXPECT_EQ(view.pendingMessageRounds, 0) << left;
  }
  view.lefts.clear();
  view.windowLeft = 15259;  // one step still fits
  commands.SlideToScreenEdge();
  EXPECT_EQ(view.lefts, (std::vector<int>{15359, 15280}));
}

TEST_F(MainCommandsTest, CloseBoxPressedAgainWhileSlidingDoesNotStartASecondSlide) {
  settings.values["ActivateStatus"] = "1";
  StartUp();
  view.windowLeft = 14000;
  view.onPendingMessages = [this] {
    if (view.pendingMessageRounds == 1) commands.Hide();
  };
  commands.Hide();
  EXPECT_EQ(view.lefts, (std::vector<int>{14100, 14200, 14300, 14400, 14500, 14600, 14700, 14800,
                                          14900, 15000, 15100, 15200, 15300, 15280}));
  EXPECT_TRUE(flags().ParkedAtEdge);
}

TEST_F(MainCommandsTest, ProgramEndingDuringTheSlideStopsIt) {
  settings.values["ActivateStatus"] = "1";
  StartUp();
  view.windowLeft = 14000;
  view.onPendingMessages = [this] {
    if (view.pendingMessageRounds == 3) flags().QuitRequested = true;
  };
  commands.SlideToScreenEdge();
  EXPECT_EQ(view.lefts, (std::vector<int>{14100, 14200}));
  EXPECT_FALSE(flags().ParkedAtEdge);
}

TEST_F(MainCommandsTest, PointerLeavingOverTheLeftBorderParksOnlyInMouseMode) {
  StartUp();
  commands.FormMouseMove(0);  // hotkey mode
  EXPECT_EQ(view.lefts, std::vector<int>{});
  EXPECT_FALSE(flags().ParkedAtEdge);

  program.ActivationOptionClick(1);
  for (int x : {15, 1, 600}) commands.FormMouseMove(x);
  EXPECT_EQ(view.lefts, std::vector<int>{});
  commands.FormMouseMove(-45);
  EXPECT_EQ(view.lefts, std::vector<int>{15360 - 100});
  EXPECT_TRUE(flags().ParkedAtEdge);
  commands.FormMouseMove(0);  // already parked
  EXPECT_EQ(view.lefts.size(), 1u);

  // A move over the strip brings it back; the next move at the border parks it again.
  system.calls.clear();
  program.core.MainWindowProc(wm::kMouseMove, 0, 0);
  EXPECT_EQ(system.calls, Calls{"View.RevealFromEdge"});
  EXPECT_FALSE(flags().ParkedAtEdge);
  commands.FormMouseMove(0);
  EXPECT_EQ(view.lefts, (std::vector<int>{15260, 15260}));
}

// --- Activation option and mouse controller box ----------------------------------------------

TEST_F(MainCommandsTest, ActivationOptionWritesTheModeAndSetsTheFlag) {
  StartUp();
  struct Case {
    int index;
    const char* stored;
    bool mouse;
  };
  for (const Case& c : {Case{1, "1", true}, Case{0, "0", false}, Case{1, "1", true}}) {
    system.calls.clear();
    program.ActivationOptionClick(c.index);
    EXPECT_EQ(system.calls, (Calls{"View.ActivationOption " + std::to_string(c.index),
                                   std::string("Set ActivateStatus ") + c.stored}))
        << c.index;
    EXPECT_EQ(flags().MouseActivation, c.mouse) << c.index;
  }
  // In mouse mode the activation hotkey does nothing.
  system.calls.clear();
  program.core.MainWindowProc(wm::kHotkey, static_cast<std::uintptr_t>(ActivationHotkeyId), 0);
  EXPECT_EQ(system.calls, Calls{});
}

const Calls kKeypadOn = {"RegisterHotkey 14737 0 97",  "RegisterHotkey 14738 0 98",
                         "RegisterHotkey 14739 0 99",  "RegisterHotkey 14740 0 101",
                         "RegisterHotkey 14741 0 100", "RegisterHotkey 14742 0 102",
                         "RegisterHotkey 14743 0 103", "RegisterHotkey 14744 0 104"};
Calls Unregistered(int firstId, int lastId) {
  Calls calls;
  for (int id = firstId; id <= lastId; ++id)
    calls.push_back("UnregisterHotkey " + std::to_string(id));
  return calls;
}
Calls Concat(Calls a, const Calls& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(MainCommandsTest, ControllerBoxRegistersTheKeypadThenStoresAndFreesItAgain) {
  StartUp();
  system.calls.clear();
  program.MouseControllerBoxClick(true);
  EXPECT_EQ(system.calls,
            Concat(Concat({"View.MouseControllerBox 1"}, kKeypadOn), {"Set MouseCtrl 1"}));
  EXPECT_TRUE(flags().MouseControllerOn);

  system.calls.clear();
  program.MouseControllerBoxClick(false);
  EXPECT_EQ(system.calls, Concat(Concat({"View.MouseControllerBox 0"}, Unregistered(14737, 14744)),
                                 {"Set MouseCtrl 0"}));
  EXPECT_FALSE(flags().MouseControllerOn);
  // Switched off, the keypad keys move nothing.
  system.calls.clear();
  program.core.MainWindowProc(wm::kHotkey, 14737, 0);
  EXPECT_EQ(system.calls, Calls{});
}

TEST_F(MainCommandsTest, AfterAStartWithTheControllerOnUntickingFreesTheLetterKeysToo) {
  settings.values["MouseCtrl"] = "1";
  StartUp();
  EXPECT_TRUE(flags().MouseControllerOn);
  program.MouseControllerBoxClick(false);
  EXPECT_EQ(system.calls,
            Concat(Concat(Concat({"View.MouseControllerBox 0"}, Unregistered(14737, 14744)),
                          Unregistered(14745, 14751)),
                   {"Set MouseCtrl 0"}));
  // The letter keys went with the first switching off; later ones free the keypad only.
  program.MouseControllerBoxClick(true);
  system.calls.clear();
  program.MouseControllerBoxClick(false);
  EXPECT_EQ(system.CallsStartingWith("Unregister"), Unregistered(14737, 14744));
}

TEST_F(MainCommandsTest, StartUpSetsTheStoredControlsThroughTheirClickHandling) {
  settings.values["ActivateStatus"] = "1";
  settings.values["MouseCtrl"] = "1";
  system.files[kListPath] = SerializeList(kThree, system);
  program.LoadPhase();
  system.calls.clear();
  program.InitialisePhase();
  // Option first, then the box with its keypad keys, both written back at once.
  Calls handling;
  for (const std::string& c : system.calls) {
    if (c.rfind("View.Activation", 0) == 0 || c.rfind("View.MouseController", 0) == 0 ||
        c.rfind("Set ", 0) == 0 || c.rfind("RegisterHotkey 147", 0) == 0) {
      handling.push_back(c);
    }
  }
  Calls expected = Concat(
      {"View.ActivationOption 1", "Set ActivateStatus 1", "View.MouseControllerBox 1"}, kKeypadOn);
  expected.push_back("Set MouseCtrl 1");
  // The tray icon and hint boxes start unticked; their stored (missing) values tick them.
  expected.push_back("Set ShowIcon 1");
  expected.push_back("Set ShowInfo 1");
  for (int i = 0; i < 7; ++i) {
    static const int kLetters[7] = {65, 83, 68, 87, 74, 76, 75};
    expected.push_back("RegisterHotkey " + std::to_string(14745 + i) + " 0 " +
                       std::to_string(kLetters[i]));
  }
  EXPECT_EQ(handling, expected);
  EXPECT_TRUE(flags().MouseActivation);
  EXPECT_TRUE(flags().MouseControllerOn);
}

// The option is selected whatever it showed, so its click stores the mode; the check box only
// changes when the stored value differs from what it shows.
TEST_F(MainCommandsTest, FirstStartStoresTheModeAndLeavesTheBoxUnwritten) {
  for (const char* stored : {"", "0", " "}) {
    settings.values["ActivateStatus"] = stored;
    settings.values["MouseCtrl"] = stored;
    RecordingSystem s;
    RecordingMainWindow v{s.calls};
    FakeGrid g;
    settings.calls = &s.calls;
    Program p{s, settings, v, g, v, "C:\\HK"};
    p.LoadPhase();
    p.InitialisePhase();
    EXPECT_EQ(s.CallsStartingWith("Set ActivateStatus"), Calls{"Set ActivateStatus 0"})
        << "[" << stored << "]";
    EXPECT_EQ(s.CallsStartingWith("Set MouseCtrl"), Calls{}) << "[" << stored << "]";
    EXPECT_EQ(s.CallsStartingWith("View.ActivationOption"), Calls{"View.ActivationOption 0"})
        << "[" << stored << "]";
    EXPECT_EQ(s.CallsStartingWith("View.MouseControllerBox"), Calls{}) << "[" << stored << "]";
    EXPECT_EQ(s.CallsStartingWith("RegisterHotkey 147"), Calls{}) << "[" << stored << "]";
    EXPECT_FALSE(p.core.flags.MouseActivation);
  }
  settings.calls = &system.calls;
}

// --- Tray icon -----------------------------------------------------------------------------------

TEST_F(MainCommandsTest, HidingTheIconNamesTheActivationHotkeyOfRowOne) {
  struct Case {
    const char* stored;
    std::string message;
  };
  for (const Case& c : {Case{"", "请使用Win + Space来击活本程序!"},
                        Case{"Ctrl + Alt\tF5", "请使用Ctrl + Alt + F5来击活本程序!"}}) {
    settings.values["HotKeyName"] = c.stored;
    RecordingSystem s;
    RecordingMainWindow v{s.calls};
    FakeGrid g;
    Program p{s, settings, v, g, v, "C:\\HK"};
    MainCommands cmd{p, s, v, g};
    p.InitialisePhase();
    s.calls.clear();
    cmd.HideTrayIcon();
    EXPECT_EQ(s.calls, (Calls{"View.RemoveTrayIcon", "View.MenuChecked hideico 1",
                              "MessageBox [" + c.message + "] [隐藏] 0x40"}));
    EXPECT_TRUE(cmd.HideIconChecked());
  }
}

TEST_F(MainCommandsTest, ShowingTheIconAddsItAndUnchecksHide) {
  StartUp();
  commands.HideTrayIcon();
  EXPECT_EQ(CallsOf(&MainCommands::ShowTrayIcon),
            (Calls{"View.AddTrayIcon", "View.MenuChecked hideico 0"}));
  EXPECT_FALSE(commands.HideIconChecked());
}

TEST_F(MainCommandsTest, AdvancedMenuOffersShowIconWhenHiddenByHandOrSwitchedOff) {
  struct Case {
    const char* showIcon;
    bool hiddenByHand;
    bool showIconEnabled;
  };
  for (const Case& c : {Case{"", false, false}, Case{"1", false, false}, Case{"1", true, true},
                        Case{"0", false, true}, Case{" ", false, true}, Case{"0", true, true}}) {
    settings.values["ShowIcon"] = c.showIcon;
    RecordingSystem s;
    RecordingMainWindow v{s.calls};
    FakeGrid g;
    Program p{s, settings, v, g, v, "C:\\HK"};
    MainCommands cmd{p, s, v, g};
    p.InitialisePhase();
    if (c.hiddenByHand) cmd.HideTrayIcon();
    s.calls.clear();
    cmd.AdvancedMenuOpening();
    EXPECT_EQ(s.CallsStartingWith("View.MenuEnabled showiconon"),
              Calls{std::string("View.MenuEnabled showiconon ") + (c.showIconEnabled ? "1" : "0")})
        << "[" << c.showIcon << "] " << c.hiddenByHand;
  }
}

// --- Disabling the bindings for a while ------------------------------------------------------

TEST_F(MainCommandsTest, LockUnregistersOnlyTheBindingsAndShowsTheDisabledIcon) {
  settings.values["MouseCtrl"] = "1";
  StartUp();
  EXPECT_EQ(CallsOf(&MainCommands::ToggleLock),
            (Calls{"UnregisterHotkey -14080", "UnregisterHotkey -14079", "UnregisterHotkey -14078",
                   "View.TrayDisabled", "View.MenuChecked LockNow 1", "View.AddTrayIcon",
                   "View.MenuChecked hideico 0"}));
  EXPECT_TRUE(commands.LockNowChecked());
  EXPECT_EQ(program.core.table.Used(), 3);  // the bindings stay, ready to come back

  EXPECT_EQ(CallsOf(&MainCommands::ToggleLock),
            (Calls{"View.TrayNormal", "UnregisterHotkey -14080", "RegisterHotkey -14080 3 67",
                   "UnregisterHotkey -14079", "RegisterHotkey -14079 0 116",
                   "UnregisterHotkey -14078", "RegisterHotkey -14078 12 40",
                   "View.MenuChecked LockNow 0", "View.AddTrayIcon", "View.MenuChecked hideico 0"}));
  EXPECT_FALSE(commands.LockNowChecked());
}

TEST_F(MainCommandsTest, UseHotkeyIsOfferedOnlyWhileLocked) {
  StartUp();
  EXPECT_EQ(CallsOf(&MainCommands::AdvancedMenuOpening),
            (Calls{"View.MenuEnabled showiconon 0", "View.MenuEnabled usehotkey 0"}));
  commands.ToggleLock();
  EXPECT_EQ(CallsOf(&MainCommands::AdvancedMenuOpening),
            (Calls{"View.MenuEnabled showiconon 0", "View.MenuEnabled usehotkey 1"}));
}

TEST_F(MainCommandsTest, CombinationTakenWhileLockedIsMarkedWhenUnlocking) {
  StartUp();
  commands.ToggleLock();
  system.heldByOthers.insert({0, 116});  // 无 + F5, row 3
  commands.ToggleLock();
  EXPECT_FALSE(grid.RowHeld(2));
  EXPECT_TRUE(grid.RowHeld(3));
  EXPECT_FALSE(grid.RowHeld(4));
  system.heldByOthers.clear();
  commands.ToggleLock();
  commands.ToggleLock();
  EXPECT_FALSE(grid.RowHeld(3));
}

// An apply while the bindings are disabled registers them again; unlocking afterwards must not
// take our own registrations for another program's.
TEST_F(MainCommandsTest, ApplyWhileLockedThenUnlockMarksNothingHeld) {
  StartUp();
  commands.ToggleLock();
  commands.Apply();
  commands.ToggleLock();
  for (int row = kFirstBindingRow; row < grid.Rows(); ++row) EXPECT_FALSE(grid.RowHeld(row)) << row;
  EXPECT_TRUE(system.CallsStartingWith("MessageBox").empty());
  EXPECT_EQ(system.registered.count(BindingIdBase + 2), 1u);
}

// --- The hotkey-list menu --------------------------------------------------------------------

TEST_F(MainCommandsTest, HotkeyMenuClickRunsTheBindingAndMovesTheCheckMark) {
  StartUp();
  auto checked = [this] {
    std::vector<bool> marks;
    for (const MenuItem& item : view.menu) marks.push_back(item.checked);
    return marks;
  };
  system.calls.clear();
  commands.RunFromHotkeyMenu(1);
  EXPECT_EQ(system.calls, (Calls{"View.SendHotkey -14079", "View.HotkeyMenuChecked 1 1"}));
  system.calls.clear();
  commands.RunFromHotkeyMenu(2);
  EXPECT_EQ(system.calls, (Calls{"View.SendHotkey -14078", "View.HotkeyMenuChecked 1 0",
                                 "View.HotkeyMenuChecked 2 1"}));
  EXPECT_EQ(checked(), (std::vector<bool>{false, false, true}));
  commands.RunFromHotkeyMenu(2);
  EXPECT_EQ(checked(), (std::vector<bool>{false, false, true}));
  commands.RunFromHotkeyMenu(0);
  EXPECT_EQ(checked(), (std::vector<bool>{true, false, false}));
}

// An apply gives the items new captions and leaves the check mark where it was.
TEST_F(MainCommandsTest, ReloadingTheListKeepsTheCheckMark) {
  StartUp();
  commands.RunFromHotkeyMenu(1);
  program.ReregisterAllHotkeys();
  EXPECT_TRUE(view.menu[1].checked);
  system.calls.clear();
  commands.RunFromHotkeyMenu(0);
  EXPECT_EQ(system.calls, (Calls{"View.SendHotkey -14080", "View.HotkeyMenuChecked 1 0",
                                 "View.HotkeyMenuChecked 0 1"}));
}

// --- Grid commands on the current row --------------------------------------------------------

TEST_F(MainCommandsTest, RunOpensTheTargetOfTheCurrentRowThroughTheShellOnly) {
  StartUp({{"Ctrl + Alt", "C", "我的计算器", "calc"}, {"Ctrl", "K", "关机", "关闭计算机"}});
  EXPECT_EQ(CallsAtRow(2, &MainCommands::RunTarget), Calls{"Background ShellOpen calc"});
  // A built-in action's name goes to the shell too, which opens nothing.
  EXPECT_EQ(CallsAtRow(3, &MainCommands::RunTarget), Calls{"Background ShellOpen 关闭计算机"});
  for (int row : {1, 0, 4, -1})
    EXPECT_EQ(CallsAtRow(row, &MainCommands::RunTarget), Calls{}) << row;
}

TEST_F(MainCommandsTest, ATextToTypeIsNotRunFromTheGrid) {
  StartUp({{"Ctrl + Alt", "C", "我的计算器", "calc"}, {"Ctrl", "K", "签名", "输入文本"}});
  EXPECT_EQ(CallsAtRow(3, &MainCommands::RunTarget), Calls{});
  for (auto opening : {&MainCommands::EditMenuOpening, &MainCommands::GridRightPress}) {
    for (int row : {2, 3}) {
      Calls calls = CallsAtRow(row, opening);
      EXPECT_EQ(std::count(calls.begin(), calls.end(),
                           "View.MenuEnabled runfile " + std::to_string(3 - row)),
                1);
    }
  }
}

TEST_F(MainCommandsTest, FindTargetOpensTheFolderOfTheTarget) {
  StartUp();
  EXPECT_EQ(CallsAtRow(3, &MainCommands::FindTarget), Calls{"Background ShellOpen C:\\Tools\\"});
  EXPECT_EQ(CallsAtRow(2, &MainCommands::FindTarget), Calls{});  // "calc": no folder
  EXPECT_EQ(CallsAtRow(4, &MainCommands::FindTarget), Calls{});  // a web address
  EXPECT_EQ(CallsAtRow(1, &MainCommands::FindTarget), Calls{});  // the activation row
}

TEST(TargetFolderTest, CutsAfterTheLastBackslash) {
  EXPECT_EQ(TargetFolder("C:\\Tools\\app.exe"), "C:\\Tools\\");
  EXPECT_EQ(TargetFolder("C:\\a\\b\\c d\\x.txt"), "C:\\a\\b\\c d\\");
  EXPECT_EQ(TargetFolder("\\\\server\\share"), "\\\\server\\");
  EXPECT_EQ(TargetFolder("D:\\"), "D:\\");
  EXPECT_EQ(TargetFolder("notepad"), "");
  EXPECT_EQ(TargetFolder("隐藏\\显示当前窗口"), "隐藏\\");
  EXPECT_EQ(TargetFolder(""), "");
}

TEST_F(MainCommandsTest, ShowPathOpensTheColumnThenShrinksIt) {
  StartUp();
  EXPECT_EQ(grid.widths[3], 0);
  EXPECT_EQ(CallsOf(&MainCommands::ToggleShowPath), Calls{"View.MenuChecked reflist 1"});
  EXPECT_EQ(grid.widths[3], 5000);
  EXPECT_EQ(CallsOf(&MainCommands::ToggleShowPath), Calls{"View.MenuChecked reflist 0"});
  EXPECT_EQ(grid.widths[3], 1);
  commands.ToggleShowPath();
  EXPECT_EQ(grid.widths[3], 5000);
  EXPECT_TRUE(commands.ShowPathChecked());
}

TEST_F(MainCommandsTest, EditMenuOffersRowCommandsOnBindingRowsOnly) {
  StartUp();
  const Calls enabled = {"View.MenuEnabled delH 1", "View.MenuEnabled runfile 1",
                         "View.MenuEnabled findfile 1", "View.MenuText toggleenabled 停用热键(&T)",
                         "View.MenuEnabled toggleenabled 1"};
  const Calls disabled = {"View.MenuEnabled delH 0", "View.MenuEnabled runfile 0",
                          "View.MenuEnabled findfile 0", "View.MenuText toggleenabled 停用热键(&T)",
                          "View.MenuEnabled toggleenabled 0"};
  EXPECT_EQ(CallsAtRow(2, &MainCommands::EditMenuOpening), enabled);
  EXPECT_EQ(CallsAtRow(4, &MainCommands::EditMenuOpening), enabled);
  EXPECT_EQ(CallsAtRow(1, &MainCommands::EditMenuOpening), disabled);

  FakeGrid empty;
  RecordingMainWindow v{system.calls};
  Program p{system, settings, v, empty, v, "C:\\HK"};
  MainCommands c{p, system, v, empty};
  system.files.erase(kListPath);
  p.LoadPhase();
  p.InitialisePhase();
  ASSERT_EQ(empty.Rows(), 2);
  system.calls.clear();
  c.EditMenuOpening();
  EXPECT_EQ(system.calls, disabled);
}

TEST_F(MainCommandsTest, RightPressOnTheGridPopsUpTheEditMenu) {
  StartUp();
  EXPECT_EQ(CallsAtRow(3, &MainCommands::GridRightPress),
            (Calls{"View.MenuEnabled delH 1", "View.MenuEnabled findfile 1",
                   "View.MenuEnabled runfile 1", "View.MenuText toggleenabled 停用热键(&T)",
                   "View.MenuEnabled toggleenabled 1", "View.ApplyEnabled 0", "View.PopupEditMenu"}));
  EXPECT_EQ(CallsAtRow(1, &MainCommands::GridRightPress),
            (Calls{"View.MenuEnabled delH 0", "View.MenuEnabled findfile 0",
                   "View.MenuEnabled runfile 0", "View.MenuText toggleenabled 停用热键(&T)",
                   "View.MenuEnabled toggleenabled 0", "View.ApplyEnabled 0", "View.PopupEditMenu"}));
  // A settings save enables the button but not the hidden item it is set from here.
  system.calls.clear();
  program.liveSettings.SaveChanges();
  EXPECT_EQ(system.CallsStartingWith("View.ApplyEnabled"), Calls{"View.ApplyEnabled 1"});
  EXPECT_FALSE(commands.SaveEnabled());
  EXPECT_EQ(CallsAtRow(2, &MainCommands::GridRightPress)[5], "View.ApplyEnabled 0");
  commands.EnableSave();
  EXPECT_EQ(CallsAtRow(2, &MainCommands::GridRightPress)[5], "View.ApplyEnabled 1");
  grid.SetCell(2, 0, "");
  EXPECT_EQ(CallsAtRow(2, &MainCommands::GridRightPress), Calls{});
}

TEST_F(MainCommandsTest, ApplySavesAndReloadsTheList) {
  StartUp();
  grid.SetCell(3, 2, "新名字");
  commands.Apply();
  EXPECT_EQ(program.core.table.slots[1].Name, "新名字");
  EXPECT_EQ(system.CallsStartingWith("ReplaceFileBytes"), Calls{"ReplaceFileBytes " + kListPath});
  EXPECT_EQ(system.CallsStartingWith("RegisterHotkey").size(), 3u);
}

// --- Exit ----------------------------------------------------------------------------------------

TEST_F(MainCommandsTest, ExitAsksAndEndsOnlyOnOk) {
  StartUp();
  const std::string kAsk =
      "MessageBox [退出后你定义的热键将不能使用，确实要退出本软件吗？] [退出？] 0x41";
  system.messageBoxAnswers = {kIdCancel};
  EXPECT_EQ(CallsOf(&MainCommands::Exit), (Calls{kAsk, "View.Show"}));
  EXPECT_FALSE(flags().QuitRequested);

  system.messageBoxAnswers.push_back(kIdOk);
  EXPECT_EQ(CallsOf(&MainCommands::Exit), (Calls{kAsk, "View.Show", "View.Unload"}));
  EXPECT_TRUE(flags().QuitRequested);
}

TEST_F(MainCommandsTest, UnsavedPadTextIsAskedAboutFirst) {
  StartUp();
  flags().PadContentSaved = false;
  const std::string kPad =
      "MessageBox [即拖即存中的内容还没有保存，确信不保存就退出系统吗?] [Vorda-即拖即存] 0x41";
  system.messageBoxAnswers = {kIdCancel};
  EXPECT_EQ(CallsOf(&MainCommands::Exit), (Calls{kPad, "View.ShowPad"}));
  EXPECT_FALSE(flags().QuitRequested);
  system.messageBoxAnswers.insert(system.messageBoxAnswers.end(), {kIdOk, kIdOk});
  Calls calls = CallsOf(&MainCommands::Exit);
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0], kPad);
  EXPECT_EQ(calls[3], "View.Unload");
}

}  // namespace
}  // namespace tarvek

namespace tarvek {
namespace {

// --- The settings menu mirrors the settings dialog's boxes -------------------------------------

TEST_F(MainCommandsTest, SettingsMenuMirrorsTheBoxesAndItsItemsStoreThroughThem) {
  settings.values["PlaySound"] = "1";
  settings.values["ShowInfo"] = "0";
  StartUp();
  EXPECT_EQ(CallsOf(&MainCommands::SettingsMenuOpening),
            (Calls{"View.MenuChecked openstart 0", "View.MenuChecked showinfot 0",
                   "View.MenuChecked opensound 1"}));
  // Unticking the sound stores it and silences the next hotkey.
  system.calls.clear();
  commands.ToggleSettingsMirror(MenuItemId::kOpenSound);
  EXPECT_EQ(system.calls, (Calls{"View.MenuChecked opensound 0", "Set PlaySound 0"}));
  EXPECT_FALSE(program.core.sound.on);
  // Start with Windows: the quoted program path, then one blank.
  system.calls.clear();
  commands.ToggleSettingsMirror(MenuItemId::kOpenStart);
  EXPECT_EQ(settings.runEntry, "\"C:\\HK\\TarvekHotKey.exe\"");
  commands.ToggleSettingsMirror(MenuItemId::kOpenStart);
  EXPECT_EQ(settings.runEntry, " ");
  commands.ToggleSettingsMirror(MenuItemId::kShowInfo);
  EXPECT_EQ(settings.values["ShowInfo"], "1");
  EXPECT_TRUE(program.liveSettings.Checked(SettingsCheck::kShowInfo));
}

}  // namespace
}  // namespace tarvek

namespace tarvek {
namespace {

// --- Add, change, delete and drops -----------------------------------------------------------

TEST_F(MainCommandsTest, AddOpensTheEditorInAddModeAndOkSavesTheNewBindingFirst) {
  StartUp();
  EditorModel& editor = program.editor;
  editor.handOver.EditorChangeMode = true;  // left by an earlier change
  view.onOpenEditor = [&editor] {
    EXPECT_FALSE(editor.handOver.EditorChangeMode);
    editor.Shown();
    editor.ChooseKey(0, "Ctrl");
    editor.ChooseKey(2, "N");
    editor.TargetEdited("notepad");
    editor.NameEdited("记事本");
    ASSERT_TRUE(editor.Apply());
    editor.Ok();
  };
  Calls calls = CallsOf(&MainCommands::Add);
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(Calls(calls.begin(), calls.begin() + 2), (Calls{"View.ApplyEnabled 1", "View.OpenEditor"}));
  EXPECT_TRUE(commands.SaveEnabled());
  EXPECT_EQ(editor.AppliedCount(), 0);
  EXPECT_EQ(program.core.table.Used(), 4);
  EXPECT_EQ(program.core.table.slots[0].Name, "记事本");
  EXPECT_EQ(view.frameCaption, "热键信息(共有4个热键)");
}

TEST_F(MainCommandsTest, ChangeRefusesTheActivationRowAndHandsOverOthers) {
  StartUp();
  EXPECT_EQ(CallsAtRow(1, &MainCommands::Change),
            (Calls{"MessageBox [不能修改此热键，请在软件设置里修改] [修改] 0x10", "View.Show"}));
  EditorModel& editor = program.editor;
  view.onOpenEditor = [&editor] {
    EXPECT_EQ(editor.handOver.EditorRow, 4);
    EXPECT_EQ(editor.Box(2), "↓");
    editor.Shown();
    editor.ChooseKey(2, "F6");
    ASSERT_TRUE(editor.Apply());
    editor.Ok();
  };
  EXPECT_EQ(CallsAtRow(4, &MainCommands::Change)[0], "View.OpenEditor");
  EXPECT_EQ(program.core.table.Used(), 3);
  EXPECT_EQ(program.core.table.slots[0].Name, "网站");
  EXPECT_EQ(program.core.table.slots[0].KeyText, "F6");
}

TEST_F(MainCommandsTest, DeleteRefusesTheActivationRowAndActsOnlyOnOk) {
  StartUp();
  EXPECT_EQ(CallsAtRow(1, &MainCommands::Delete),
            (Calls{"MessageBox [此热件用来调用本程序，不能删此热键。] [删除] 0x10", "View.Show"}));
  system.messageBoxAnswers = {kIdCancel};
  EXPECT_EQ(CallsAtRow(3, &MainCommands::Delete),
            Calls{"MessageBox [确实要删除你选择的热键吗?] [删除热键] 0x41"});
  EXPECT_EQ(grid.Rows(), 5);
}

TEST_F(MainCommandsTest, RowsFindTheirOwnBindingAfterADeletionAboveThem) {
  StartUp();
  commands.RunFromHotkeyMenu(2);  // 网站 is marked as run last
  CallsAtRow(3, &MainCommands::Delete);  // 工具, slot 1
  EXPECT_EQ(system.CallsStartingWith("UnregisterHotkey"), Calls{"UnregisterHotkey -14079"});
  EXPECT_EQ(system.CallsStartingWith("View.Show"), Calls{"View.Show"});
  EXPECT_EQ(system.files[kListPath], SerializeList({kThree[0], kThree[2]}, system));
  EXPECT_EQ(view.frameCaption, "热键信息(共有2个热键)");
  ASSERT_EQ(view.menu.size(), 2u);
  EXPECT_EQ(view.menu[0].caption + " " + view.menu[1].caption, "我的计算器 网站");
  EXPECT_FALSE(view.menu[0].checked);
  EXPECT_TRUE(view.menu[1].checked);

  // Row 3 shows 网站 now, which is still slot 2.
  EXPECT_EQ(CallsAtRow(3, &MainCommands::RunTarget),
            Calls{"Background ShellOpen http://example.com/"});
  system.calls.clear();
  commands.RunFromHotkeyMenu(1);
  EXPECT_EQ(system.calls[0], "View.SendHotkey -14078");
  grid.SetCell(3, 3, "D:\\x\\y.exe");  // the grid's text is not what run and find read
  EXPECT_EQ(CallsAtRow(3, &MainCommands::FindTarget), Calls{});
  CallsAtRow(3, &MainCommands::Delete);
  EXPECT_EQ(system.CallsStartingWith("UnregisterHotkey"), Calls{"UnregisterHotkey -14078"});

  // The bindings come back from a lock without the deleted ones.
  commands.ToggleLock();
  EXPECT_EQ(CallsOf(&MainCommands::ToggleLock)[2], "RegisterHotkey -14080 3 67");
  EXPECT_EQ(system.CallsStartingWith("RegisterHotkey").size(), 1u);
}

TEST_F(MainCommandsTest, DeleteRemovesTheSelectedBindingRowsOnly) {
  StartUp({kThree[0], kThree[1], kThree[2], {"Alt", "Q", "第四", "q.exe"}});
  grid.currentRow = 3;
  grid.selection = {1, 3, 4};  // the activation row stays whatever the selection says
  commands.Delete();
  EXPECT_EQ(system.CallsStartingWith("UnregisterHotkey"),
            (Calls{"UnregisterHotkey -14079", "UnregisterHotkey -14078"}));
  EXPECT_EQ(grid.Rows(), 4);
  EXPECT_EQ(grid.Cell(2, 2) + " " + grid.Cell(3, 2), "我的计算器 第四");
  EXPECT_EQ(view.frameCaption, "热键信息(共有2个热键)");

  grid.selection = {2, 3};
  commands.Delete();
  ASSERT_EQ(view.menu.size(), 1u);
  EXPECT_EQ(view.menu[0].caption, "没有设置热键");
  EXPECT_FALSE(view.menu[0].enabled);
  EXPECT_EQ(view.frameCaption, "热键信息(共有0个热键)");
  EXPECT_EQ(system.files[kListPath], "");
}

TEST_F(MainCommandsTest, GridToolTipShowsTheSelectionWithItsKeysJoined) {
  StartUp();
  grid.currentRow = 1;
  commands.GridLeftPress();
  EXPECT_EQ(view.gridToolTip, "Win+Space\t显示本软件\t无");
  grid.selection = {2, 3};
  commands.GridLeftPress();
  EXPECT_EQ(view.gridToolTip, "Ctrl + Alt+C\t我的计算器\tcalc\r无\tF5\t工具\tC:\\Tools\\app.exe");
}

TEST_F(MainCommandsTest, EachDroppedFileOpensTheEditorToAddIt) {
  StartUp();
  EditorModel& editor = program.editor;
  editor.handOver.EditorChangeMode = true;
  std::vector<std::string> targets;
  view.onOpenEditor = [&] {
    EXPECT_FALSE(editor.handOver.EditorChangeMode);
    targets.push_back(editor.Target());
    editor.Shown();
    editor.Cancel();
  };
  system.calls.clear();
  commands.DropFile("C:\\a.txt");
  commands.DropFile("C:\\b.txt");
  EXPECT_EQ(targets, (std::vector<std::string>{"C:\\a.txt", "C:\\b.txt"}));
  EXPECT_EQ(system.calls, (Calls{"View.Show", "View.OpenEditor", "View.Show", "View.OpenEditor"}));
  EXPECT_EQ(grid.Rows(), 5);
}

TEST_F(MainCommandsTest, ADropOnAFullListIsRefusedAndKeepsTheEditorAsItWas) {
  std::vector<BindingTexts> full;
  for (int i = 0; i < kTableSlots; ++i) {
    full.push_back({"Ctrl", "A", "程序" + std::to_string(i), "x.exe"});
  }
  StartUp(full);
  program.editor.TargetEdited("C:\\typed.txt");
  system.calls.clear();
  EXPECT_FALSE(commands.DropFile("C:\\a.txt"));  // the files after it are not offered
  EXPECT_EQ(system.calls, Calls{"MessageBox [热键列表最多只能有 101 个热键，现在已经满了。"
                                "请先删除不用的热键，再添加新的热键。] [热键已满] 0x10"});
  EXPECT_EQ(program.editor.Target(), "C:\\typed.txt");
  grid.RemoveRow(kFirstBindingRow);  // one below the limit: room for one more
  system.calls.clear();
  EXPECT_TRUE(commands.DropFile("C:\\a.txt"));
  EXPECT_EQ(system.calls, (Calls{"View.Show", "View.OpenEditor"}));
}

}  // namespace
}  // namespace tarvek
