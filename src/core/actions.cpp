#include "core/actions.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "core/hotkey_table.h"
#include "core/launch/launch_plan.h"

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

namespace {

bool StartsWithMailto(std::string_view text) {
  static constexpr std::string_view kMailto = "mailto:";
  if (text.size() < kMailto.size()) return false;
  for (std::size_t i = 0; i < kMailto.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != kMailto[i]) return false;
  }
  return true;
}

}  // namespace

LaunchPlan PlanLaunch(std::string_view target) {
  // An address written with its "mailto:" keeps it single.
  std::string command = target.find('@') != std::string_view::npos && !StartsWithMailto(target)
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

// A program whose manifest asks for administrator rights: the shell starts it once the user
// consents, in a prompt that belongs to the owner the user-interface thread gave.
void StartElevated(SystemPort& worker, LaunchCommand command, WindowRef owner) {
  if (command.folder.empty()) command.folder = ShellWorkingFolder(command.file, PathKind::kFile);
  command.owner = owner;
  worker.ShellExecuteWith("runas", command);
}

// What the actions hand to a worker, as one kind of job. owner: for a consent prompt, taken on
// the user-interface thread (a worker has no window of its own).
struct BackgroundJob {
  enum class Kind { kShellOpen, kStartProgram, kEmptyRecycleBin } kind;
  std::string command;
  WindowRef owner = 0;
  void operator()(SystemPort& worker) const {
    switch (kind) {
      case Kind::kShellOpen:
        return worker.ShellOpen(command, ShellWorkingFolder(command, worker.KindOfPath(command)),
                                owner);
      case Kind::kStartProgram:
        if (worker.StartProgram(command).outcome == StartResult::Outcome::kNeedsElevation) {
          StartElevated(worker, LaunchCommand{command, {}, {}}, owner);
        }
        return;
      case Kind::kEmptyRecycleBin:
        // The icon is refreshed when the call returns anything but 0, an already empty bin
        // included.
        if (worker.EmptyRecycleBin() != 0) worker.UpdateRecycleBinIcon();
        return;
    }
  }
};

}  // namespace

void ShellOpenInBackground(SystemPort& system, const std::string& command, WindowRef owner) {
  system.RunInBackground(BackgroundJob{BackgroundJob::Kind::kShellOpen, command, owner});
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
    // The browser the user chose. The fixed path is there on current Windows too, where it
    // opens whatever the system likes: only a machine without a browser of its choice gets it.
    if (!system_.HasDefaultBrowser() && system_.FileExists(std::string(kInternetExplorerPath))) {
      return ShellOpenInBackground(system_, std::string(kInternetExplorerPath));
    }
    return system_.OpenDefaultBrowser();
  }
  Launch(target, options);
}

namespace {

// A launch with anything beyond a plain open: on a worker, since the shell (and the consent of
// "runas") takes as long as it likes.
struct OptionsJob {
  bool program;
  bool asAdmin;
  bool asDesktopUser;
  LaunchCommand command;
  WindowRef owner;  // for a consent prompt
  void operator()(SystemPort& worker) {
    if (command.folder.empty()) {
      command.folder = ShellWorkingFolder(
          command.file, program ? PathKind::kFile : worker.KindOfPath(command.file));
    }
    if (asAdmin) return StartElevated(worker, command, owner);
    // Without a desktop shell to ask, the program starts as this one runs rather than not at all.
    if (asDesktopUser && worker.ShellExecuteAsDesktopUser(command)) return;
    if (!program) return worker.ShellExecuteWith("", command);
    if (worker.StartProgramWith(command).outcome == StartResult::Outcome::kNeedsElevation) {
      StartElevated(worker, command, owner);
    }
  }
};

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool IsAbsolute(const std::string& path) {
  return (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
         (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/'));
}

// How many started processes a target keeps in mind: enough for the copies a user keeps open.
constexpr std::size_t kStartedKept = 16;

void RememberStart(LaunchMemory& memory, const std::string& file, const StartedProcess& process) {
  std::vector<StartedProcess>& started = memory.started[LowerAscii(file)];
  started.push_back(process);
  if (started.size() > kStartedKept) started.erase(started.begin());
}

// The windows that count as the target's: those of its program file; those of the processes
// its presses started and of what they started (a stub that hands over to a packaged app and
// ends); those that carry its packaged app's identity.
std::vector<WindowRef> WindowsOfTarget(const TargetPlan& plan, const std::string& path,
                                       SystemPort& system, LaunchMemory& memory) {
  std::vector<WindowRef> windows;
  if (plan.program) windows = system.WindowsOfProgram(path);
  auto started = memory.started.find(LowerAscii(plan.file));
  if (started != memory.started.end()) {
    std::vector<WindowRef> theirs = system.WindowsOfProcesses(started->second);
    if (theirs.empty()) {
      // Ended with nothing of theirs left: forgotten, so that the list stays short.
      std::erase_if(started->second,
                    [&system](const StartedProcess& p) { return !system.StillRunning(p); });
      if (started->second.empty()) memory.started.erase(started);
    }
    windows.insert(windows.end(), theirs.begin(), theirs.end());
  }
  if (std::optional<PackagedApp> app = PackagedAppOf(path, system)) {
    for (const AppWindow& window : system.WindowsWithAppIds()) {
      if (app->Matches(window.appId)) windows.push_back(window.window);
    }
  }
  // The system lists windows front to back, an order each activation changes: the handles'
  // order stays, so every window gets its turn.
  std::sort(windows.begin(), windows.end());
  windows.erase(std::unique(windows.begin(), windows.end()), windows.end());
  return windows;
}

// A press for a program that runs already: its next window to the front, or, with toggle, its
// window in front minimised. False when none of its windows is there to take the press.
bool ActivateRunning(const TargetPlan& plan, IfRunning mode, SystemPort& system,
                     LaunchMemory& memory) {
  std::string path = plan.file;
  if (plan.program && !IsAbsolute(path)) {
    if (auto found = system.FindProgram(path)) path = *found;
  }
  std::vector<WindowRef> windows = WindowsOfTarget(plan, path, system, memory);
  if (windows.empty()) return false;
  WindowRef& last = memory.lastActivated[LowerAscii(path)];
  const WindowRef front = system.ForegroundWindow();
  if (mode == IfRunning::kToggle && std::find(windows.begin(), windows.end(), front) != windows.end() &&
      !system.IsMinimized(front)) {
    system.ShowWindow(front, kSwMinimize);
    last = front;
    return true;
  }
  auto after = std::find(windows.begin(), windows.end(), last);
  last = after == windows.end() || ++after == windows.end() ? windows.front() : *after;
  system.BringToFront(last);
  return true;
}

std::string JoinArguments(const std::string& first, const std::string& second) {
  if (first.empty()) return second;
  if (second.empty()) return first;
  return first + " " + second;
}

// Starts what the plan names with the options. onWorker: this already runs off the
// user-interface thread, and what can wait is not handed on again; owner is then the one the
// user-interface thread took before.
void RunPlan(const TargetPlan& plan, const LaunchOptions& options, SystemPort& system,
             bool onWorker, LaunchMemory& memory, WindowRef owner) {
  const bool remember = options.WhenRunning != IfRunning::kStart;
  if ((plan.program || IsAppsFolderTarget(plan.file)) && remember &&
      ActivateRunning(plan, options.WhenRunning, system, memory)) {
    return;
  }
  LaunchCommand command{plan.file,
                        JoinArguments(plan.arguments, plan.program ? options.Arguments : ""),
                        options.StartIn, ShowCommandOf(options.Window)};
  const bool asAdmin = options.RunAs == RunLevel::kAdmin;
  // An elevated launcher would make everything it starts elevated too.
  const bool asDesktopUser = !asAdmin && system.ElevatedAboveDesktop();
  const bool startHere = plan.program && (onWorker || !plan.inBackground);
  // Only a route that may ask for consent takes the owner.
  auto consentOwner = [&] { return onWorker ? owner : system.ConsentOwner(); };
  const bool plain =
      command.parameters.empty() && command.folder.empty() && command.showCommand == kSwShowNormal;
  if (startHere && !asAdmin && !asDesktopUser) {
    // A plain launch exactly as without options.
    const StartResult result =
        plain ? system.StartProgram(plan.file) : system.StartProgramWith(command);
    if (result.outcome == StartResult::Outcome::kStarted && remember) {
      RememberStart(memory, plan.file, result.process);
    }
    if (result.outcome != StartResult::Outcome::kNeedsElevation) return;
    auto elevate = [command, owner = consentOwner()](SystemPort& worker) {
      StartElevated(worker, command, owner);
    };
    if (onWorker) return elevate(system);
    return system.RunInBackground(elevate);
  }
  if (!asAdmin && !asDesktopUser && plain) {
    BackgroundJob job{
        plan.program ? BackgroundJob::Kind::kStartProgram : BackgroundJob::Kind::kShellOpen,
        plan.file, plan.program ? consentOwner() : 0};
    return onWorker ? job(system) : system.RunInBackground(job);
  }
  OptionsJob job{plan.program, asAdmin, asDesktopUser, std::move(command),
                 asAdmin || plan.program ? consentOwner() : 0};
  if (onWorker) return job(system);
  system.RunInBackground(job);
}

}  // namespace

void ActionRunner::Launch(const std::string& target, const LaunchOptions& options) {
  const std::string expanded = ExpandVariables(
      target, [this](const std::string& name) { return system_.EnvironmentVariable(name); });
  std::string_view path = expanded;
  if (!path.empty() && path[0] == '"') path.remove_prefix(1);
  const bool onNetwork = path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
                         (path[1] == '\\' || path[1] == '/');
  if (onNetwork) {
    // Even asking whether a path on the network exists waits as long as the network likes.
    system_.RunInBackground([target, options, folder = programFolder_,
                             owner = system_.ConsentOwner()](SystemPort& worker) {
      LaunchMemory noMemory;  // the user-interface thread's is not touched
      RunPlan(PlanTarget(target, folder, worker), options, worker, true, noMemory, owner);
    });
    return;
  }
  RunPlan(PlanTarget(target, programFolder_, system_), options, system_, false, memory_, 0);
}

// Current Windows ignores ExitWindowsEx from a process that has not enabled the shut-down
// privilege, so each of the three enables it first.
void ActionRunner::ShutDownComputer() {
  system_.EnableShutdownPrivilege();
  // Switched off, not stopped at "safe to turn off".
  system_.ExitWindowsSession(kEwxShutdown | kEwxPowerOff | kEwxForceIfHung, kPlannedShutdownReason);
}

void ActionRunner::RestartComputer() {
  system_.EnableShutdownPrivilege();
  system_.ExitWindowsSession(kEwxReboot | kEwxForceIfHung, kPlannedShutdownReason);
}

void ActionRunner::LogOffUser() {
  system_.EnableShutdownPrivilege();
  system_.ExitWindowsSession(kEwxLogOff | kEwxForceIfHung, kPlannedShutdownReason);
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
