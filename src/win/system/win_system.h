// The system port on Win32: hotkeys on the main window, the shell, windows, input, sounds,
// message boxes, files and the ANSI code page.
#pragma once

#include <windows.h>

#include "core/input/key_watch.h"
#include "core/ports.h"
#include "core/input/typed_text.h"
#include "win/launch/consent_owner.h"

namespace tarvek::win {

class WinSystem : public SystemPort {
 public:
  // Hotkeys are registered on this window, and message boxes are owned by it.
  void SetMainWindow(HWND window) { window_ = window; }

  bool RegisterHotkey(int id, int modifiers, int virtualKey) override;
  void UnregisterHotkey(int id) override;
  void ShellOpen(const std::string& command, const std::string& workingFolder,
                 WindowRef owner) override;
  StartResult StartProgram(const std::string& exePath) override;
  bool HasDefaultBrowser() override;
  void OpenDefaultBrowser() override;
  WindowRef ForegroundWindow() override;
  void ShowWindow(WindowRef window, int showCommand) override;
  void PostClose(WindowRef window) override;
  Rect WindowRect(WindowRef window) override;
  void SetCursorPos(int x, int y) override;
  void MouseEvent(int flags, int dx, int dy) override;
  void PlayWaveAsync(const std::string& path) override;
  void SendMciCommand(const std::string& command) override;
  long EmptyRecycleBin() override;
  void UpdateRecycleBinIcon() override;
  void EnableShutdownPrivilege() override;
  void ExitWindowsSession(unsigned flags, unsigned reason) override;
  int ShowMessageBox(const std::string& text, const std::string& title, unsigned flags) override;
  bool FileExists(const std::string& path) override;
  std::optional<std::string> ReadFileBytes(const std::string& path) override;
  bool ReplaceFileBytes(const std::string& path, const std::string& bytes) override;
  void RemoveLeftoverTemporaries(const std::string& filePattern) override;
  PathState QueryPath(const std::string& path) override;
  bool FolderWritable(const std::string& folder) override;
  std::vector<std::string> FileNamesIn(const std::string& folder) override;
  bool RemoveFile(const std::string& path) override;
  bool RenameFile(const std::string& from, const std::string& to) override;
  std::string AnsiToUtf8(const std::string& ansi) override;
  std::optional<std::string> Utf8ToAnsi(const std::string& utf8) override;
  unsigned AnsiCodePage() override;
  std::string Cp936ToUtf8(const std::string& gbk) override;
  void RunInBackground(std::function<void(SystemPort&)> job) override;
  PathKind KindOfPath(const std::string& path) override;
  StartResult StartProgramWith(const LaunchCommand& command) override;
  void ShellExecuteWith(const std::string& verb, const LaunchCommand& command) override;
  bool ShellExecuteAsDesktopUser(const LaunchCommand& command) override;
  bool ElevatedAboveDesktop() override;
  std::vector<WindowRef> WindowsOfProgram(const std::string& exePath) override;
  void BringToFront(WindowRef window) override;
  bool IsMinimized(WindowRef window) override;
  std::optional<std::string> FindProgram(const std::string& name) override;
  std::optional<std::string> EnvironmentVariable(const std::string& name) override;
  // The main window when it is in front; else a small window of this thread's. None on a
  // worker, whose system has no main window.
  WindowRef ConsentOwner() override;
  std::vector<WindowRef> WindowsOfProcesses(const std::vector<StartedProcess>& processes) override;
  bool StillRunning(const StartedProcess& process) override;
  std::vector<AppWindow> WindowsWithAppIds() override;
  std::optional<std::string> AliasAppId(const std::string& path) override;
  EnvironmentKeys ReadEnvironmentKeys() override;
  void SetEnvironmentValue(const std::string& name,
                           const std::optional<std::string>& value) override;
  // On the typing thread and the hooks' threads (win/typing.h, win/key_hook.h, win/mouse_hook.h).
  void TypeTextInFront(const TypingJob& job) override;
  void WatchKeys(std::shared_ptr<const WatchedBindings> bindings) override;
  void WatchMouse(std::shared_ptr<const WatchedBindings> bindings) override;

 private:
  HWND window_ = nullptr;
  ConsentOwnerWindow consentOwner_;
};

// The running program file's full path, however long.
std::string ProgramFile();
// The folder of the running program file, without a trailing backslash.
std::string ProgramFolder();

}  // namespace tarvek::win
