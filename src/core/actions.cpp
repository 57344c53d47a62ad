#include "core/actions.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "core/hotkey_table.h"

namespace tarvek {

void PlaySoundFile(const std::string& path, const SoundSetting& sound, SystemActionsPort& port) {
  if (sound.on) port.PlayWaveAsync(path);
}

bool IsBuiltInAction(std::string_view target) {
  using namespace action_name;
  static constexpr std::array<std::string_view, 13> kNames = {
      kShutDown,     kRestart,         kRestartAsOffered, kLogOff,         kEmptyRecycleBin,
      kToggleHideWindow, kToggleCdDoor, kMinimizeWindow,  kMaximizeWindow, kCloseWindow,
      kUsePad,       kOpenMyComputer,  kOpenBrowser};
  return std::find(kNames.begin(), kNames.end(), target) != kNames.end();
}

LaunchPlan PlanLaunch(std::string_view target) {
  std::string command = target.find('@') != std::string_view::npos
                            ? "mailto:" + std::string(target)
                            : std::string(target);
  bool isProgram = false;
  if (command.size() >= 4) {
    std::string tail = command.substr(command.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(c < 0x80 ? std::tolower(c) : c); });
    isProgram = tail == ".exe";
  }
  bool onNetwork = command.size() >= 2 && (command[0] == '\\' || command[0] == '/') &&
                   (command[1] == '\\' || command[1] == '/');
  bool inBackground = !isProgram || onNetwork;
  return {isProgram ? LaunchPlan::Kind::kStartProgram : LaunchPlan::Kind::kShellOpen,
          std::move(command), inBackground};
}

std::string ShellWorkingFolder(const std::string& command, PathKind kind) {
  if (kind == PathKind::kFolder) return command;
  if (kind != PathKind::kFile) return {};
  std::size_t slash = command.find_last_of("\\/");
  if (slash == std::string::npos) return {};
  // "C:\\a.txt" is in "C:\\", not in "C:", which is whatever folder drive C is in now.
  if (slash == 2 && command[1] == ':') return command.substr(0, 3);
  return command.substr(0, slash);
}

namespace {

// What the actions hand to a worker, as one kind of job.
struct BackgroundJob {
  enum class Kind { kShellOpen, kStartProgram, kEmptyRecycleBin } kind;
  std::string command;
  void operator()(SystemPort& worker) const {
    switch (kind) {
      case Kind::kShellOpen:
        return worker.ShellOpen(command, ShellWorkingFolder(command, worker.KindOfPath(command)));
      case Kind::kStartProgram:
        return worker.StartProgram(command);
      case Kind::kEmptyRecycleBin:
        // The icon is refreshed when the call returns anything but 0, an already empty bin
        // included.
        if (worker.EmptyRecycleBin() != 0) worker.UpdateRecycleBinIcon();
        return;
    }
  }
};

}  // namespace

void ShellOpenInBackground(SystemPort& system, const std::string& command) {
  system.RunInBackground(BackgroundJob{BackgroundJob::Kind::kShellOpen, command});
}

void ActionRunner::RunTarget(const std::string& target, const LaunchOptions& options) {
  using namespace action_name;
  if (target == kShutDown) return ShutDownComputer();
  if (target == kRestart || target == kRestartAsOffered) return RestartComputer();
  if (target == kLogOff) return LogOffUser();
  if (target == kEmptyRecycleBin) return EmptyRecycleBin();
  if (target == kToggleHideWindow) return ToggleHideForegroundWindow();
  if (target == kToggleCdDoor) return ToggleCdDoor();
  if (target == kMinimizeWindow) return MinimizeForegroundWindow();
  if (target == kMaximizeWindow) return MaximizeForegroundWindow();
  if (target == kCloseWindow) return CloseForegroundWindow();
  if (target == kUsePad) return pad_.ShowPadForAction();
  if (target == kOpenMyComputer) return ShellOpenInBackground(system_, "C:\\");
  if (target == kOpenBrowser) {
    // The fixed path is what the action has always opened; machines without it get the
    // user's default browser rather than nothing.
    if (system_.FileExists(std::string(kInternetExplorerPath))) {
      return ShellOpenInBackground(system_, std::string(kInternetExplorerPath));
    }
    return system_.OpenDefaultBrowser();
  }
  Launch(target, options);
}

void ActionRunner::Launch(const std::string& target, const LaunchOptions& options) {
  (void)options;  // not yet used
  LaunchPlan plan = PlanLaunch(target);
  if (!plan.inBackground) return system_.StartProgram(plan.command);
  auto kind = plan.kind == LaunchPlan::Kind::kShellOpen ? BackgroundJob::Kind::kShellOpen
                                                        : BackgroundJob::Kind::kStartProgram;
  system_.RunInBackground(BackgroundJob{kind, std::move(plan.command)});
}

// Current Windows ignores ExitWindowsEx from a process that has not enabled the shut-down
// privilege, so each of the three enables it first.
void ActionRunner::ShutDownComputer() {
  system_.EnableShutdownPrivilege();
  system_.ExitWindowsSession(kEwxShutdown | kEwxForce, 1);
}

void ActionRunner::RestartComputer() {
  system_.EnableShutdownPrivilege();
  system_.ExitWindowsSession(kEwxReboot | kEwxForce, 0);
}

void ActionRunner::LogOffUser() {
  system_.EnableShutdownPrivilege();
  system_.ExitWindowsSession(kEwxLogOff | kEwxForce, 0);
}

void ActionRunner::EmptyRecycleBin() {
  // A large bin takes its time.
  system_.RunInBackground(BackgroundJob{BackgroundJob::Kind::kEmptyRecycleBin, {}});
}

void ActionRunner::ToggleHideForegroundWindow() {
  if (hiddenWindow_ != 0) {
    system_.ShowWindow(hiddenWindow_, kSwShow);
    hiddenWindow_ = 0;
    return;
  }
  hiddenWindow_ = system_.ForegroundWindow();
  system_.ShowWindow(hiddenWindow_, kSwHide);
}

void ActionRunner::ShowHiddenWindowAgain() {
  if (hiddenWindow_ == 0) return;
  system_.ShowWindow(hiddenWindow_, kSwShow);
  hiddenWindow_ = 0;
}

void ActionRunner::ToggleCdDoor() {
  system_.SendMciCommand(cdDoorOpen_ ? "set CDAudio door closed" : "set CDAudio door open");
  cdDoorOpen_ = !cdDoorOpen_;
}

void ActionRunner::MinimizeForegroundWindow() {
  system_.ShowWindow(system_.ForegroundWindow(), kSwMinimize);
}

void ActionRunner::MaximizeForegroundWindow() {
  system_.ShowWindow(system_.ForegroundWindow(), kSwShowMaximized);
}

void ActionRunner::CloseForegroundWindow() { system_.PostClose(system_.ForegroundWindow()); }

}  // namespace tarvek
