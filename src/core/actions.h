// The built-in actions, the launching of every other target, and the program's sounds.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/launch/environment.h"
#include "core/launch/launch_options.h"
#include "core/ports.h"

namespace tarvek {

// Names of the built-in actions, compared exactly with a binding's target.
namespace action_name {
inline constexpr std::string_view kShutDown = "关闭计算机";
inline constexpr std::string_view kRestart = "重新启动计算机";
inline constexpr std::string_view kRestartAsOffered = "重新启动算机";  // the editor's spelling
inline constexpr std::string_view kLogOff = "注销";
inline constexpr std::string_view kEmptyRecycleBin = "清空回收站";
inline constexpr std::string_view kToggleHideWindow = "隐藏\\显示当前窗口";
inline constexpr std::string_view kToggleCdDoor = "打开\\关闭光驱";
inline constexpr std::string_view kMinimizeWindow = "最小化当前窗口";
inline constexpr std::string_view kMaximizeWindow = "最大化当前窗口";
inline constexpr std::string_view kCloseWindow = "关闭当前窗口";
inline constexpr std::string_view kUsePad = "使用即拖即存";
inline constexpr std::string_view kOpenMyComputer = "打开我的电脑";
inline constexpr std::string_view kOpenBrowser = "打开浏览器";
// Types the binding's text into the window in front instead of starting anything.
inline constexpr std::string_view kTypeText = "输入文本";
}  // namespace action_name

inline constexpr std::string_view kInternetExplorerPath =
    "C:\\Program Files\\Internet Explorer\\iexplore.exe";

// ShowWindow commands and ExitWindowsEx flags the actions use.
inline constexpr int kSwHide = 0;
inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShowMaximized = 3;
inline constexpr int kSwShow = 5;
inline constexpr int kSwMinimize = 6;
inline constexpr unsigned kEwxLogOff = 0, kEwxShutdown = 1, kEwxReboot = 2, kEwxPowerOff = 8;
// Ends only the programs that do not answer: the others may still ask to save their work.
inline constexpr unsigned kEwxForceIfHung = 0x10;
// SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED: the user asked
// for it, so the event log records no unexpected shut-down.
inline constexpr unsigned kPlannedShutdownReason = 0x80000000u;

// mouse_event flags.
inline constexpr int kMouseMove = 1, kMouseLeftDown = 2, kMouseLeftUp = 4;
inline constexpr int kMouseRightDown = 8, kMouseRightUp = 16;

// Whatever shows the drag-and-save pad for its action.
class PadHost {
 public:
  virtual ~PadHost() = default;
  // Shows the pad, minimised when its option "运行后自动最小化" is ticked.
  virtual void ShowPadForAction() = 0;
};

// The sound setting and the program folder, as the actions read them while the program runs.
struct SoundSetting {
  bool on = false;
  std::string programFolder;  // without a trailing backslash
  std::string HotkeyWave() const { return programFolder + "\\hotkey.wav"; }
  std::string MouseWave() const { return programFolder + "\\mouse.wav"; }
};

// Plays the wave file, returning at once, when the sound setting is on.
void PlaySoundFile(const std::string& path, const SoundSetting& sound, SystemActionsPort& port);

// True when the target is the exact name of a built-in action.
bool IsBuiltInAction(std::string_view target);

// How a target that is no built-in action is launched. Everything the shell opens goes to a
// worker thread, since the shell waits as long as an offline network path or a hung handler
// makes it; a program file starts here (quick and local), unless it lies on a network path.
struct LaunchPlan {
  enum class Kind { kShellOpen, kStartProgram } kind;
  std::string command;
  bool inBackground = false;
};
LaunchPlan PlanLaunch(std::string_view target);

// The working folder the shell is given for a command: a file's own folder, a folder itself,
// none for anything else (a web address, a program found on the search path).
std::string ShellWorkingFolder(const std::string& command, PathKind kind);

// Opens the command through the shell on a worker thread, in its working folder. The owner is
// for a consent prompt the shell may show (a program that needs administrator rights).
void ShellOpenInBackground(SystemPort& system, const std::string& command, WindowRef owner = 0);

// What a runner remembers of its launches for "if it runs already".
struct LaunchMemory {
  // Per program (its path in lower case), the window a press brought to the front last, so
  // that the next press goes on to the next of its windows.
  std::map<std::string, WindowRef> lastActivated;
  // Per target (in lower case), the processes its presses started: a program that hands over
  // to another process (as Windows 11's own apps do) is found by them.
  std::map<std::string, std::vector<StartedProcess>> started;
};

class ActionRunner {
 public:
  // Relative targets are taken from the program folder.
  ActionRunner(SystemPort& system, PadHost& pad, std::string programFolder = {})
      : system_(system), pad_(pad), programFolder_(std::move(programFolder)) {}

  // Runs the built-in action of that name, or launches the target with its options.
  void RunTarget(const std::string& target, const LaunchOptions& options = {});

  void ShutDownComputer();
  void RestartComputer();
  void LogOffUser();
  void EmptyRecycleBin();
  void ToggleHideForegroundWindow();
  void ToggleCdDoor();
  void MinimizeForegroundWindow();
  void MaximizeForegroundWindow();
  void CloseForegroundWindow();

  // A window this program hid and has not shown again comes back when the program ends, so
  // that it is never lost with the program.
  void ShowHiddenWindowAgain();

  // At start, and when Windows announces that the environment changed.
  void RememberEnvironment() { environment_.Remember(system_); }
  void RefreshEnvironment() { environment_.Refresh(system_); }

  bool CdDoorOpen() const { return cdDoorOpen_; }
  WindowRef HiddenWindow() const { return hiddenWindow_; }

 private:
  void Launch(const std::string& target, const LaunchOptions& options);

  SystemPort& system_;
  PadHost& pad_;
  std::string programFolder_;
  LaunchMemory memory_;
  EnvironmentFollower environment_;
  bool cdDoorOpen_ = false;
  WindowRef hiddenWindow_ = 0;
};

}  // namespace tarvek
