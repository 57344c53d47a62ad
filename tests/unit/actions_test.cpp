#include "core/actions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_system.h"

namespace tarvek {
namespace {

using testing::RecordingSystem;
using testing::RecordingView;
using Calls = std::vector<std::string>;

class ActionsTest : public ::testing::Test {
 protected:
  // The calls one run of the target makes.
  Calls Run(const std::string& target) {
    system.calls.clear();
    runner.RunTarget(target);
    return system.calls;
  }

  // The target is a built-in action and running it makes exactly these calls.
  void CheckAction(const std::string& name, const Calls& expected) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(IsBuiltInAction(name));
    EXPECT_EQ(Run(name), expected);
  }

  // The target is no action and goes to the shell or starts as a program, whole.
  void CheckLaunched(const std::string& target, const std::string& expectedCall) {
    SCOPED_TRACE(target);
    EXPECT_FALSE(IsBuiltInAction(target));
    EXPECT_EQ(Run(target), Calls{expectedCall});
  }

  RecordingSystem system;
  RecordingView view{system.calls};
  ActionRunner runner{system, view};
};

TEST_F(ActionsTest, MailAddressOpensAsMailto) {
  CheckLaunched("someone@example.com", "Background ShellOpen mailto:someone@example.com");
  CheckLaunched("@", "Background ShellOpen mailto:@");
}

TEST_F(ActionsTest, ExeInAnyCaseStartsTheWholePath) {
  CheckLaunched("C:\\Program Files\\My Tools\\tool.EXE",
                "StartProgram C:\\Program Files\\My Tools\\tool.EXE");
  CheckLaunched("notepad.exe", "StartProgram notepad.exe");
  CheckLaunched("D:\\a b\\Setup.Exe", "StartProgram D:\\a b\\Setup.Exe");
  CheckLaunched(".eXe", "StartProgram .eXe");
}

TEST_F(ActionsTest, EverythingElseGoesToTheShell) {
  CheckLaunched("calc", "Background ShellOpen calc");
  CheckLaunched("C:\\", "Background ShellOpen C:\\");
  CheckLaunched("D:\\文档\\报告.doc", "Background ShellOpen D:\\文档\\报告.doc");
  CheckLaunched("http://example.com/get.exe?x=1",
                "Background ShellOpen http://example.com/get.exe?x=1");
  // The blank is part of the end.
  CheckLaunched("notepad.exe ", "Background ShellOpen notepad.exe ");
  CheckLaunched("exe", "Background ShellOpen exe");
}

// A document opens in its own folder and a folder in itself; what is neither (missing, a web
// address) gets none. A program on a network path waits on the network as the shell does.
TEST_F(ActionsTest, WhatCanWaitRunsInTheBackgroundInItsOwnFolder) {
  system.files["D:\\文档\\报告.doc"] = "";
  system.files["C:\\a.txt"] = "";
  system.folders.insert("D:\\文档");
  CheckLaunched("D:\\文档\\报告.doc", "Background ShellOpen D:\\文档\\报告.doc in D:\\文档");
  CheckLaunched("C:\\a.txt", "Background ShellOpen C:\\a.txt in C:\\");
  CheckLaunched("D:\\文档", "Background ShellOpen D:\\文档 in D:\\文档");
  CheckLaunched("D:\\文档\\没有.doc", "Background ShellOpen D:\\文档\\没有.doc");
  CheckLaunched("\\\\nas\\工具\\tool.exe", "Background StartProgram \\\\nas\\工具\\tool.exe");
  CheckLaunched("C:\\nas\\tool.exe", "StartProgram C:\\nas\\tool.exe");
  system.folders.insert("C:\\");
  CheckAction("打开我的电脑", {"Background ShellOpen C:\\ in C:\\"});
}

TEST_F(ActionsTest, NearlyAnActionNameIsLaunchedNotRun) {
  CheckLaunched("关闭计算机 ", "Background ShellOpen 关闭计算机 ");
  CheckLaunched(" 注销", "Background ShellOpen  注销");
  CheckLaunched("关闭计算", "Background ShellOpen 关闭计算");
  CheckLaunched("重新启动电脑", "Background ShellOpen 重新启动电脑");
  // A slash, not a backslash.
  CheckLaunched("隐藏/显示当前窗口", "Background ShellOpen 隐藏/显示当前窗口");
  CheckLaunched("打开浏览器2", "Background ShellOpen 打开浏览器2");
}

// EWX_FORCEIFHUNG (16), never EWX_FORCE (4): programs that answer may still ask to save their
// work. Shutting down switches the machine off (EWX_SHUTDOWN 1 | EWX_POWEROFF 8). Each is a
// planned shut-down of no particular reason (SHTDN_REASON_FLAG_PLANNED 0x80000000).
TEST_F(ActionsTest, SessionEndingActionsEnableThePrivilegeFirstAndLetProgramsAsk) {
  CheckAction("关闭计算机", {"EnableShutdownPrivilege", "ExitWindows 25 2147483648"});
  CheckAction("重新启动计算机", {"EnableShutdownPrivilege", "ExitWindows 18 2147483648"});
  CheckAction("重新启动算机", {"EnableShutdownPrivilege", "ExitWindows 18 2147483648"});
  CheckAction("注销", {"EnableShutdownPrivilege", "ExitWindows 16 2147483648"});
}

TEST_F(ActionsTest, RecycleBinIconIsRefreshedWhenTheCallReturnsNonZero) {
  system.recycleBinResult = 0;
  CheckAction("清空回收站", {"Background EmptyRecycleBin"});
  system.recycleBinResult = 1;
  CheckAction("清空回收站", {"Background EmptyRecycleBin", "Background UpdateRecycleBinIcon"});
  system.recycleBinResult = -2147418113;  // a failure HRESULT
  CheckAction("清空回收站", {"Background EmptyRecycleBin", "Background UpdateRecycleBinIcon"});
}

TEST_F(ActionsTest, ForegroundWindowActions) {
  system.foreground = 0x1234;
  CheckAction("最小化当前窗口", {"ShowWindow 4660 6"});
  CheckAction("最大化当前窗口", {"ShowWindow 4660 3"});
  CheckAction("关闭当前窗口", {"PostClose 4660"});
}

TEST_F(ActionsTest, ShellActionsAndThePad) {
  CheckAction("打开我的电脑", {"Background ShellOpen C:\\"});
  CheckAction("使用即拖即存", {"Pad.ShowForAction"});
}

TEST_F(ActionsTest, BrowserIsTheUsersOwnElseTheFixedPathWhereItExists) {
  CheckAction("打开浏览器", {"OpenDefaultBrowser"});
  const std::string ie = "C:\\Program Files\\Internet Explorer\\iexplore.exe";
  system.files[ie] = "";
  CheckAction("打开浏览器",
              {"Background ShellOpen " + ie + " in C:\\Program Files\\Internet Explorer"});
  // Current Windows keeps the fixed path, which opens whatever it likes: the user's choice wins.
  system.hasDefaultBrowser = true;
  CheckAction("打开浏览器", {"OpenDefaultBrowser"});
  system.files.erase(ie);
  CheckAction("打开浏览器", {"OpenDefaultBrowser"});
}

TEST_F(ActionsTest, CdDoorOpensFirstThenAlternates) {
  CheckAction("打开\\关闭光驱", {"SendMciCommand set CDAudio door open"});
  EXPECT_TRUE(runner.CdDoorOpen());
  CheckAction("打开\\关闭光驱", {"SendMciCommand set CDAudio door closed"});
  EXPECT_FALSE(runner.CdDoorOpen());
  CheckAction("打开\\关闭光驱", {"SendMciCommand set CDAudio door open"});
}

TEST_F(ActionsTest, HideThenShowTheSameWindowWhateverIsInFrontNow) {
  system.foreground = 0x100;
  CheckAction("隐藏\\显示当前窗口", {"ShowWindow 256 0"});
  EXPECT_EQ(runner.HiddenWindow(), 0x100u);
  system.foreground = 0x200;
  CheckAction("隐藏\\显示当前窗口", {"ShowWindow 256 5"});
  EXPECT_EQ(runner.HiddenWindow(), 0u);
  CheckAction("隐藏\\显示当前窗口", {"ShowWindow 512 0"});
}

TEST_F(ActionsTest, HiddenWindowIsShownAgainOnceAtTheEnd) {
  system.foreground = 0x100;
  runner.RunTarget("隐藏\\显示当前窗口");
  system.calls.clear();
  runner.ShowHiddenWindowAgain();
  runner.ShowHiddenWindowAgain();
  EXPECT_EQ(system.calls, Calls{"ShowWindow 256 5"});
  // Nothing is left hidden, so the next use hides again.
  EXPECT_EQ(Run("隐藏\\显示当前窗口"), Calls{"ShowWindow 256 0"});
}

TEST_F(ActionsTest, NothingHiddenNothingShownAtTheEnd) {
  runner.ShowHiddenWindowAgain();
  EXPECT_EQ(system.calls, Calls{});
}

TEST(PlaySoundFile, PlaysOnlyWhenTheSoundSettingIsOn) {
  RecordingSystem system;
  SoundSetting sound{false, "C:\\Tools\\HK"};
  PlaySoundFile(sound.HotkeyWave(), sound, system);
  EXPECT_EQ(system.calls, Calls{});
  sound.on = true;
  PlaySoundFile(sound.HotkeyWave(), sound, system);
  PlaySoundFile(sound.MouseWave(), sound, system);
  EXPECT_EQ(system.calls, (Calls{"PlayWaveAsync C:\\Tools\\HK\\hotkey.wav",
                                 "PlayWaveAsync C:\\Tools\\HK\\mouse.wav"}));
}

}  // namespace
}  // namespace tarvek
