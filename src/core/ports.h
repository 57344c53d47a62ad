// What the logic asks of the operating system, grouped by what it touches. src/win/ implements
// these with Win32; the native tests use a recording fake.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvek {

using WindowRef = std::uintptr_t;  // an opaque window handle; 0 is no window

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// System-wide hotkeys, always on the main window.
class HotkeyPort {
 public:
  virtual ~HotkeyPort() = default;
  virtual bool RegisterHotkey(int id, int modifiers, int virtualKey) = 0;
  virtual void UnregisterHotkey(int id) = 0;
};

// A process this program started: its id and the moment it started, which together name it
// even after the system has given the id to another process.
struct StartedProcess {
  std::uint32_t id = 0;
  std::uint64_t startTime = 0;  // FILETIME ticks
  bool operator==(const StartedProcess&) const = default;
};

// How a program start ended. A program whose manifest asks for administrator rights is refused
// by CreateProcess (ERROR_ELEVATION_REQUIRED): only the shell can start it, with the user's
// consent.
struct StartResult {
  enum class Outcome { kStarted, kFailed, kNeedsElevation } outcome = Outcome::kFailed;
  StartedProcess process;  // when started
};

// Starting programs and opening things through the shell.
class LaunchPort {
 public:
  virtual ~LaunchPort() = default;
  // ShellExecute with the default verb, no parameters, shown normally, in the working folder
  // given (none when empty). It returns when the shell has done with the command, which an
  // offline network path can make long: see BackgroundPort. The owner (0: none) is the window
  // in front that a consent prompt of the shell's belongs to.
  virtual void ShellOpen(const std::string& command, const std::string& workingFolder,
                         WindowRef owner) = 0;
  // Starts the program file at exePath as one quoted path, in the program's own folder.
  virtual StartResult StartProgram(const std::string& exePath) = 0;
  // Whether the user has a web browser registered for http addresses.
  virtual bool HasDefaultBrowser() = 0;
  // Opens the user's default web browser with no page given.
  virtual void OpenDefaultBrowser() = 0;
};

// The foreground window and what the actions do to windows.
class WindowPort {
 public:
  virtual ~WindowPort() = default;
  virtual WindowRef ForegroundWindow() = 0;
  // Asks the window's own thread to show it so and returns at once: a window whose program
  // hangs cannot hold this one.
  virtual void ShowWindow(WindowRef window, int showCommand) = 0;
  virtual void PostClose(WindowRef window) = 0;
  virtual Rect WindowRect(WindowRef window) = 0;
};

// Synthetic mouse input.
class InputPort {
 public:
  virtual ~InputPort() = default;
  virtual void SetCursorPos(int x, int y) = 0;
  virtual void MouseEvent(int flags, int dx, int dy) = 0;
};

// Wave sounds, the CD door, the recycle bin and the end of the Windows session.
class SystemActionsPort {
 public:
  virtual ~SystemActionsPort() = default;
  virtual void PlayWaveAsync(const std::string& path) = 0;
  virtual void SendMciCommand(const std::string& command) = 0;
  // All drives, no confirmation; the HRESULT of SHEmptyRecycleBin (0 is success).
  virtual long EmptyRecycleBin() = 0;
  virtual void UpdateRecycleBinIcon() = 0;
  virtual void EnableShutdownPrivilege() = 0;
  virtual void ExitWindowsSession(unsigned flags, unsigned reason) = 0;
};

// Message boxes. Flags and results are those of MessageBox (IDOK 1, IDCANCEL 2, ...).
class DialogPort {
 public:
  virtual ~DialogPort() = default;
  virtual int ShowMessageBox(const std::string& text, const std::string& title, unsigned flags) = 0;
};

// Whole-file reads and writes. Paths are UTF-8.
class FilePort {
 public:
  virtual ~FilePort() = default;
  virtual bool FileExists(const std::string& path) = 0;
  virtual std::optional<std::string> ReadFileBytes(const std::string& path) = 0;
  // Writes the bytes to a temporary file beside path and puts it in place of the old file in
  // one step, so that a reader never sees half a file. False leaves the old file as it was.
  virtual bool ReplaceFileBytes(const std::string& path, const std::string& bytes) = 0;
  // Deletes what a replacement cut short left behind: the temporary files of its naming beside
  // the files the pattern names (it may hold wildcards, "C:\\Tools\\*.htk").
  virtual void RemoveLeftoverTemporaries(const std::string& filePattern) = 0;

  // What stands at path, told apart so that a list the program cannot read now is never taken
  // for an empty one: a drive or folder that is not there yet (a USB stick, a network drive
  // at log-on, a cloud folder offline) is not a file that does not exist.
  enum class PathState {
    kFile,           // a file is there and can be opened for reading
    kNoFile,         // the folder is there, the file is not
    kNoFolder,       // the folder or its drive is not there, or cannot be reached
    kLocked,         // another program holds the file open and shares it with nobody
    kUnreadable,     // it is there but cannot be read (no right to it, a disk error)
  };
  virtual PathState QueryPath(const std::string& path) = 0;
  // Whether a file can be made in the folder: a temporary file is made there and deleted.
  virtual bool FolderWritable(const std::string& folder) = 0;
};

// The files of one folder, and deleting and renaming a file: the named lists beside the program.
class FolderPort {
 public:
  virtual ~FolderPort() = default;
  // The names (not paths) of the files in the folder, in the order the system lists them;
  // folders are left out. Empty when the folder cannot be read.
  virtual std::vector<std::string> FileNamesIn(const std::string& folder) = 0;
  // False when the file is missing, read-only or in use.
  virtual bool RemoveFile(const std::string& path) = 0;
  // False when to exists already (another file than from), from is missing or in use, or the
  // system refuses the name.
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
};

// The system's ANSI code page.
class AnsiCodec {
 public:
  virtual ~AnsiCodec() = default;
  virtual std::string AnsiToUtf8(const std::string& ansi) = 0;
  // Empty when the text holds a character the code page cannot represent.
  virtual std::optional<std::string> Utf8ToAnsi(const std::string& utf8) = 0;
  // Which code page "ANSI" is: 936 on Simplified Chinese Windows, 65001 where the system uses
  // UTF-8 for programs that are not Unicode.
  virtual unsigned AnsiCodePage() = 0;
  // Code page 936 (GBK) to UTF-8, whatever the ANSI code page is: the lists written before the
  // system was switched to UTF-8 are in it.
  virtual std::string Cp936ToUtf8(const std::string& gbk) = 0;
};

inline constexpr unsigned kUtf8CodePage = 65001;
class SystemPort;

// What a path names at the moment.
enum class PathKind { kNeither, kFile, kFolder };

// Work that can wait for as long as the network or another program likes (a launch through
// the shell of an offline network path, emptying a large recycle bin) runs off the
// user-interface thread, so that the hotkeys and the tray keep answering meanwhile.
class BackgroundPort {
 public:
  virtual ~BackgroundPort() = default;
  // Runs the job on a worker thread with COM taken apartment-threaded and returns at once. The
  // job is given a system of that thread (no owner window); it holds what it needs by value
  // and touches nothing of the user-interface thread's.
  virtual void RunInBackground(std::function<void(SystemPort&)> job) = 0;
  // May wait on the network as long as a launch would: for the worker thread.
  virtual PathKind KindOfPath(const std::string& path) = 0;
};

// One launch as the system makes it: a program with its command line, or what the shell opens.
struct LaunchCommand {
  std::string file;        // a program's path, or what the shell opens
  std::string parameters;  // what follows the program on its command line; empty: nothing
  std::string folder;      // the working folder; empty: none given (a program: its own folder)
  int showCommand = 1;     // a ShowWindow command; SW_SHOWNORMAL by default
  // The window a consent prompt belongs to, brought to the front just before the prompt so
  // that the prompt comes up in front rather than flashing on the taskbar; 0: none.
  WindowRef owner = 0;
};

// One value of the environment keys in the registry.
struct EnvironmentValue {
  std::string name;
  std::string value;
  bool expand = false;  // REG_EXPAND_SZ: holds %NAMES% to expand
  bool operator==(const EnvironmentValue&) const = default;
};
// The machine's variables, the user's, and those Windows set for this log-on session (the
// user's name and folders: the machine's key names the user "SYSTEM").
struct EnvironmentKeys {
  std::vector<EnvironmentValue> system;
  std::vector<EnvironmentValue> user;
  std::vector<EnvironmentValue> session;
  // False for a key that exists but could not be read whole (refused, or a value that kept
  // changing while it was read): its values are unknown, not gone. A missing key is read: empty.
  bool systemRead = true;
  bool userRead = true;
  bool sessionRead = true;
};

// A top-level window and the application identity (AppUserModelID) it carries.
struct AppWindow {
  WindowRef window = 0;
  std::string appId;
};

// Launches beyond a plain open (arguments, a folder, a show state, the run level), the windows
// of a program that runs already, and what the launch planner asks of the machine.
class LaunchWithOptionsPort {
 public:
  virtual ~LaunchWithOptionsPort() = default;
  // CreateProcess of the quoted file, a blank and the parameters, in the folder, shown so.
  virtual StartResult StartProgramWith(const LaunchCommand& command) = 0;
  // ShellExecuteEx with the verb: "" the file's default one, "runas" as administrator. With an
  // owner, the owner comes to the front first.
  virtual void ShellExecuteWith(const std::string& verb, const LaunchCommand& command) = 0;
  // Has the desktop shell's own process open the command, so that it runs at the level of the
  // user's desktop rather than this program's. False when no desktop shell answers.
  virtual bool ShellExecuteAsDesktopUser(const LaunchCommand& command) = 0;
  // Whether this program runs elevated while the user's desktop shell does not (with UAC off,
  // and under Wine, both run at one level and a plain launch is already at the desktop's).
  virtual bool ElevatedAboveDesktop() = 0;
  // The visible, unowned top-level windows whose process runs the program file at exePath
  // (full path, letter case ignored).
  virtual std::vector<WindowRef> WindowsOfProgram(const std::string& exePath) = 0;
  // Restores the window if it is minimised and brings it to the front.
  virtual void BringToFront(WindowRef window) = 0;
  // A minimised window may stay the foreground window when nothing else takes the front.
  virtual bool IsMinimized(WindowRef window) = 0;
  // The full path of a program as the Run dialog finds it: on the search path (".exe" added
  // when the name has no extension), else under the App Paths key. Empty when not found.
  virtual std::optional<std::string> FindProgram(const std::string& name) = 0;
  // The value of this process's environment variable; empty when it is not set.
  virtual std::optional<std::string> EnvironmentVariable(const std::string& name) = 0;

  // For the user-interface thread: a window of its own that a consent prompt may belong to (the
  // main window when it is in front, else a small window kept for this). The hotkey press gave
  // this program the right to the foreground, which the window takes when a prompt comes.
  virtual WindowRef ConsentOwner() = 0;
  // The visible, unowned top-level windows of these processes and of the processes they
  // started; processes that have ended are left out.
  virtual std::vector<WindowRef> WindowsOfProcesses(
      const std::vector<StartedProcess>& processes) = 0;
  virtual bool StillRunning(const StartedProcess& process) = 0;
  // The visible, unowned top-level windows that carry an application identity.
  virtual std::vector<AppWindow> WindowsWithAppIds() = 0;
  // The application identity an App Execution Alias (a program file under
  // %LOCALAPPDATA%\Microsoft\WindowsApps) starts; empty when the file is none.
  virtual std::optional<std::string> AliasAppId(const std::string& path) = 0;
  // The environment keys of the registry as they are now, and this process's own variables.
  virtual EnvironmentKeys ReadEnvironmentKeys() = 0;
  // Sets the variable of this process; no value removes it.
  virtual void SetEnvironmentValue(const std::string& name,
                                   const std::optional<std::string>& value) = 0;
};

struct TypingJob;
struct WatchedBindings;

// Typing a text into the window in front, and the keyboard hook of the bindings that act only in
// some programs.
class KeyboardPort {
 public:
  virtual ~KeyboardPort() = default;
  // Types the job (TypeText) on the typing thread and returns at once; jobs type one after
  // another.
  virtual void TypeTextInFront(const TypingJob& job) = 0;
  // Hands the hook the bindings it watches. With some, the hook and its thread are there (made
  // when missing); with none (or null), both go. A binding it fires reaches the main window
  // as the message kKeyFiredMessage (WM_APP + 5) with the slot and the generation.
  virtual void WatchKeys(std::shared_ptr<const WatchedBindings> bindings) = 0;
  // The same for the bindings on mouse triggers (key_names.h) and a low-level mouse hook on a
  // thread of its own; a binding it fires reaches the main window as kMouseFiredMessage.
  virtual void WatchMouse(std::shared_ptr<const WatchedBindings> bindings) = 0;
};

// Everything at once, as the program's one system object and the tests' fake provide it.
class SystemPort : public HotkeyPort,
                   public LaunchPort,
                   public WindowPort,
                   public InputPort,
                   public SystemActionsPort,
                   public DialogPort,
                   public FilePort,
                   public FolderPort,
                   public AnsiCodec,
                   public BackgroundPort,
                   public LaunchWithOptionsPort,
                   public KeyboardPort {};

// MessageBox flags and results used by the program.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbOkCancel = 0x1;
inline constexpr unsigned kMbYesNoCancel = 0x3;
inline constexpr unsigned kMbIconError = 0x10;
inline constexpr unsigned kMbIconExclamation = 0x30;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr unsigned kMbHelp = 0x4000;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

}  // namespace tarvek
