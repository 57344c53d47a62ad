// The start-up as a new user meets it, and the two ways it ends a copy at once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_main_window.h"
#include "recording_system.h"
#include "shell/main_commands.h"
#include "shell/program.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::MemorySettings;
using testing::RecordingMainWindow;
using testing::RecordingSystem;
using Calls = std::vector<std::string>;

class StartUpTest : public ::testing::Test {
 protected:
  Program& Make(const std::string& folder) {
    program = std::make_unique<Program>(system, settings, view, grid, view, folder);
    program->core.instanceMessage = 0xC123;
    return *program;
  }
  bool Start(const std::string& folder = "C:\\Tools\\HK", bool anotherCopy = false) {
    Program& p = Make(folder);
    p.LoadPhase();
    return p.InitialisePhase(anotherCopy);
  }
  std::size_t IndexOf(const std::string& prefix) const {
    for (std::size_t i = 0; i < system.calls.size(); ++i) {
      if (system.calls[i].rfind(prefix, 0) == 0) return i;
    }
    return system.calls.size();
  }

  RecordingSystem system;
  MemorySettings settings;
  RecordingMainWindow view{system.calls};
  FakeGrid grid;
  std::unique_ptr<Program> program;
};

TEST_F(StartUpTest, FirstStartOnACleanMachine) {
  ASSERT_TRUE(Start());
  // The list file's place is written back and marked as the one beside the program, the
  // activation mode is selected and stores itself, and the two boxes that a missing value ticks
  // store their value as a click on them does; the rest stays missing.
  EXPECT_EQ(settings.values, (std::map<std::string, std::string, std::less<>>{
                                 {"ActivateStatus", "0"},
                                 {"FileSave", "C:\\Tools\\HK\\SaveKey.htk"},
                                 {"FileSaveDefault", "C:\\Tools\\HK\\SaveKey.htk"},
                                 {"ShowIcon", "1"},
                                 {"ShowInfo", "1"}}));
  EXPECT_EQ(program->ListPath(), "C:\\Tools\\HK\\SaveKey.htk");
  // Hotkey mode: the window starts hidden, and the activation hotkey shows it once.
  EXPECT_TRUE(program->hiddenAtStart);
  EXPECT_LT(IndexOf("View.Hide"), system.calls.size());
  EXPECT_EQ(system.CallsStartingWith("MessageBox"),
            Calls{"MessageBox [程序已经运行,请按Win + Space键显示程序] [Vorda2009] 0x30"});
  EXPECT_LT(IndexOf("View.AddTrayIcon"), IndexOf("MessageBox"));  // the icon, then the hint
  EXPECT_EQ(view.frameCaption, "热键信息(共有0个热键)");
  ASSERT_EQ(view.menu.size(), 1u);
  EXPECT_EQ(view.menu[0].caption, "没有设置热键程序");
  EXPECT_FALSE(view.menu[0].enabled);
  EXPECT_FALSE(program->core.sound.on);
  EXPECT_FALSE(program->core.flags.MouseControllerOn);
  EXPECT_FALSE(program->core.flags.QuitRequested);
}

TEST_F(StartUpTest, TheHintNamesTheStoredActivationHotkey) {
  EXPECT_EQ(StartHintText("Ctrl + Alt\tF5"), "程序已经运行,请按Ctrl + Alt + F5键显示程序");
  EXPECT_EQ(StartHintText(" "), "程序已经运行,请按Win + Space键显示程序");
  settings.values["HotKeyName"] = "Shift\tEnd";
  settings.values["ShowIcon"] = "0";
  ASSERT_TRUE(Start());
  EXPECT_EQ(system.CallsStartingWith("MessageBox"),
            Calls{"MessageBox [程序已经运行,请按Shift + End键显示程序] [Vorda2009] 0x30"});
  EXPECT_EQ(IndexOf("View.AddTrayIcon"), system.calls.size());
}

TEST_F(StartUpTest, NoHintWhenSwitchedOffAndVisibleInMouseMode) {
  settings.values["ShowInfo"] = "0";
  settings.values["ActivateStatus"] = "1";
  settings.values["FileSave"] = "D:\\lists\\mine.htk";
  ASSERT_TRUE(Start());
  EXPECT_TRUE(system.CallsStartingWith("MessageBox").empty());
  EXPECT_FALSE(program->hiddenAtStart);
  EXPECT_EQ(IndexOf("View.Hide"), system.calls.size());
  EXPECT_EQ(program->ListPath(), "D:\\lists\\mine.htk");
  EXPECT_EQ(settings.values["FileSave"], "D:\\lists\\mine.htk");  // not rewritten
}

TEST_F(StartUpTest, AStoredBlankPathIsReplacedAndWritten) {
  settings.values["FileSave"] = " ";
  ASSERT_TRUE(Start("E:\\A"));
  EXPECT_EQ(program->ListPath(), "E:\\A\\SaveKey.htk");
  EXPECT_EQ(settings.values["FileSave"], "E:\\A\\SaveKey.htk");
}

TEST_F(StartUpTest, ADrivesRootFolderIsRefusedAndNothingIsTaken) {
  for (const char* root : {"D:", "D:\\"}) {
    SCOPED_TRACE(root);
    system.calls.clear();
    EXPECT_FALSE(Start(root));
    EXPECT_TRUE(program->core.flags.QuitRequested);
    EXPECT_EQ(system.CallsStartingWith("MessageBox"),
              Calls{"MessageBox [本程序不能在根目录下运行，建议将本程序复制到其他目录。] [运行错误] 0x40"});
    EXPECT_EQ(IndexOf("RegisterHotkey -12544"), system.calls.size());
    EXPECT_EQ(IndexOf("View.AddTrayIcon"), system.calls.size());
  }
  EXPECT_TRUE(IsDriveRoot("C:"));
  EXPECT_FALSE(IsDriveRoot("D:\\A"));  // four characters start normally
  EXPECT_TRUE(Start("D:\\A"));
}

TEST_F(StartUpTest, ASecondCopyHandsOverSilentlyAndTakesNothingMore) {
  settings.values["FileSave"] = "C:\\HK\\SaveKey.htk";
  EXPECT_FALSE(Start("C:\\HK", /*anotherCopy=*/true));
  EXPECT_TRUE(program->core.flags.QuitRequested);
  EXPECT_LT(IndexOf("View.HandOverToFirstCopy " + std::to_string(0xC123)), system.calls.size());
  EXPECT_TRUE(system.CallsStartingWith("MessageBox").empty());
  for (const char* never : {"View.ClaimInstanceTitle", "RegisterHotkey -12544",
                            "RegisterHotkey -15598", "View.AddTrayIcon", "View.Hide"}) {
    EXPECT_EQ(IndexOf(never), system.calls.size()) << never;
  }
  // Its shut-down gives back only what it has; the first copy's registrations are not its own.
  system.calls.clear();
  program->ShutDown();
  EXPECT_EQ(system.CallsStartingWith("UnregisterHotkey"), Calls{"UnregisterHotkey -12544"});
}

TEST_F(StartUpTest, TheFirstCopyClaimsItsTitleBeforeAnyMessageBox) {
  ASSERT_TRUE(Start());
  EXPECT_LT(IndexOf("View.ClaimInstanceTitle"), IndexOf("MessageBox"));
  EXPECT_LT(IndexOf("View.InstallButtonBehaviour"), IndexOf("View.ClaimInstanceTitle"));
  EXPECT_LT(IndexOf("View.AcceptDroppedFiles"), system.calls.size());
}

TEST_F(StartUpTest, AnActivationHotkeyHeldBySystemShowsTheWindowAndSaysSo) {
  system.heldByOthers.insert({kModWin, 32});  // Windows keeps Win + Space for the input methods
  ASSERT_TRUE(Start());
  EXPECT_FALSE(program->hiddenAtStart);
  EXPECT_EQ(IndexOf("View.Hide"), system.calls.size());
  EXPECT_TRUE(grid.RowHeld(1));
  EXPECT_FALSE(program->ActivationRegistered());
  ASSERT_EQ(system.CallsStartingWith("MessageBox").size(), 1u);
  const std::string said = system.CallsStartingWith("MessageBox")[0];
  EXPECT_EQ(said.find("请按"), std::string::npos) << said;  // never the hint of a dead key
  EXPECT_NE(said.find("Win + Space 已被系统或其他程序占用"), std::string::npos) << said;
  EXPECT_NE(said.find("软件设置"), std::string::npos) << said;
  EXPECT_LT(IndexOf("View.AddTrayIcon"), IndexOf("MessageBox"));
  EXPECT_LT(IndexOf("View.Show"), IndexOf("MessageBox"));  // the message speaks of the window
  // Another stored key taken the same way gets no word about the input methods.
  EXPECT_EQ(ActivationTakenText("Ctrl + Alt\tF5").find("输入法"), std::string::npos);

  // The icon would be the only way back: hiding it is refused.
  MainCommands commands(*program, system, view, grid);
  system.calls.clear();
  commands.HideTrayIcon();
  EXPECT_EQ(IndexOf("View.RemoveTrayIcon"), system.calls.size());
  EXPECT_FALSE(commands.HideIconChecked());
  ASSERT_EQ(system.CallsStartingWith("MessageBox").size(), 1u);
}

TEST_F(StartUpTest, WhatTheLoadSaysWaitsUntilTheStartIsCompleteAndASecondCopyLoadsNothing) {
  settings.values["FileSave"] = "C:\\HK\\SaveKey.htk";
  system.files["C:\\HK\\SaveKey.htk"] = "Ctrl\r\nA\r\nname\r\n";  // a binding cut short
  Program& p = Make("C:\\HK");
  ASSERT_TRUE(p.StartUp(false));
  ASSERT_EQ(system.CallsStartingWith("MessageBox").size(), 2u);
  EXPECT_NE(system.CallsStartingWith("MessageBox")[0].find("没有载入"), std::string::npos);
  EXPECT_LT(IndexOf("View.ClaimInstanceTitle"), IndexOf("MessageBox"));
  EXPECT_LT(IndexOf("View.AddTrayIcon"), IndexOf("MessageBox"));

  system.calls.clear();
  RecordingMainWindow secondView{system.calls};
  FakeGrid secondGrid;
  Program second(system, settings, secondView, secondGrid, secondView, "C:\\HK");
  EXPECT_FALSE(second.StartUp(true));
  EXPECT_TRUE(system.CallsStartingWith("MessageBox").empty());
  EXPECT_TRUE(system.CallsStartingWith("RegisterHotkey").empty());
  EXPECT_EQ(secondGrid.Rows(), 1);
}

}  // namespace
}  // namespace tarvek
