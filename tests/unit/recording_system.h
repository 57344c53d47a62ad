// A SystemPort that records every call as one line of text ("RegisterHotkey -14077 3 67") and
// answers as the test tells it to. The ANSI code page is GBK (936), through iconv, unless a test
// sets another.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/dispatch.h"
#include "core/grid.h"
#include "core/input/key_watch.h"
#include "core/ports.h"
#include "core/input/typed_text.h"
#include "settings/settings_store.h"

namespace tarvek::testing {

class RecordingSystem : public SystemPort {
 public:
  // Every call made, in order.
  std::vector<std::string> calls;
  // Calls whose line starts with the prefix.
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const;

  // Answers.
  std::set<std::pair<int, int>> heldByOthers;  // (modifiers, key) RegisterHotkey refuses
  std::set<int> registered;                    // ids registered and not unregistered since
  WindowRef foreground = 0x100;
  Rect foregroundRect{100, 200, 500, 600};
  long recycleBinResult = 0;
  std::vector<int> messageBoxAnswers;  // used in order; kIdOk when they run out
  std::map<std::string, std::string> files;  // path -> bytes
  std::set<std::string> unwritablePaths;
  std::set<std::string> unreadablePaths;
  // 65001 is UTF-8, as Windows does it (bytes that are not UTF-8 become U+FFFD); any other
  // code page goes through iconv under its "CP" name.
  unsigned ansiCodePage = 936;
  // Held open without sharing by another program: nothing reads, replaces, removes or renames
  // them.
  std::set<std::string> lockedPaths;
  // Folders (and everything under them) that are not there: a drive not connected.
  std::set<std::string> absentFolders;
  std::set<std::string> readOnlyFolders;  // nothing can be made in them

  bool RegisterHotkey(int id, int modifiers, int virtualKey) override;
  void UnregisterHotkey(int id) override;
  // "ShellOpen command", with " in folder" when a working folder is given, " owner N" with one.
  void ShellOpen(const std::string& command, const std::string& workingFolder,
                 WindowRef owner) override;
  StartResult StartProgram(const std::string& exePath) override;
  bool HasDefaultBrowser() override { return hasDefaultBrowser; }
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
  void RemoveLeftoverTemporaries(const std::string& filePattern) override {
    calls.push_back("RemoveLeftoverTemporaries " + filePattern);
  }
  PathState QueryPath(const std::string& path) override;
  bool FolderWritable(const std::string& folder) override;
  // The names of files whose path is the folder, a backslash and the name, in path order.
  std::vector<std::string> FileNamesIn(const std::string& folder) override;
  bool RemoveFile(const std::string& path) override;
  // As on Windows: a name that differs only in letter case is the same file.
  bool RenameFile(const std::string& from, const std::string& to) override;
  std::string AnsiToUtf8(const std::string& ansi) override;
  std::optional<std::string> Utf8ToAnsi(const std::string& utf8) override;
  unsigned AnsiCodePage() override { return ansiCodePage; }
  std::string Cp936ToUtf8(const std::string& gbk) override;

  // Work off the user-interface thread: the job runs at once, and every call it makes is
  // recorded with "Background " in front ("Background ShellOpen calc").
  void RunInBackground(std::function<void(SystemPort&)> job) override;
  // A path of files is a file, one of folders a folder.
  PathKind KindOfPath(const std::string& path) override;
  std::set<std::string> folders;

  // Launches with options: "StartProgramWith \"C:\\x.exe\" -a in C:\\w show 7",
  // "ShellExecute runas C:\\x.exe with -a in C:\\w", "DesktopShellExecute ...", each part only
  // when it is not the default, and " owner N" with an owner; "BringToFront 256".
  StartResult StartProgramWith(const LaunchCommand& command) override;
  void ShellExecuteWith(const std::string& verb, const LaunchCommand& command) override;
  bool ShellExecuteAsDesktopUser(const LaunchCommand& command) override;
  bool ElevatedAboveDesktop() override { return elevated; }
  std::vector<WindowRef> WindowsOfProgram(const std::string& exePath) override;
  void BringToFront(WindowRef window) override;
  bool IsMinimized(WindowRef window) override { return minimized.count(window) != 0; }
  std::set<WindowRef> minimized;
  std::optional<std::string> FindProgram(const std::string& name) override;
  std::optional<std::string> EnvironmentVariable(const std::string& name) override;
  bool elevated = false;
  bool desktopShellAnswers = true;
  std::map<std::string, std::string> programsFound;  // name -> full path, as the Run dialog finds it
  std::map<std::string, std::string> environment;    // variable names in upper case
  // Windows per program path in lower case, in the order the system lists them.
  std::map<std::string, std::vector<WindowRef>> programWindows;

  // The owner the user-interface thread gives; a worker has none (0).
  WindowRef ConsentOwner() override { return inBackground_ ? 0 : consentOwner; }
  WindowRef consentOwner = 0;
  bool hasDefaultBrowser = false;
  // Program files that CreateProcess refuses as needing administrator rights. Any other start
  // succeeds with the next process id (and a start time of ten times it).
  std::set<std::string> needsElevation;
  std::uint32_t nextProcessId = 1000;
  // Windows of the processes (and of what they started), by process id; ended processes.
  std::vector<WindowRef> WindowsOfProcesses(const std::vector<StartedProcess>& processes) override;
  bool StillRunning(const StartedProcess& process) override { return ended.count(process.id) == 0; }
  std::map<std::uint32_t, std::vector<WindowRef>> processWindows;
  std::set<std::uint32_t> ended;
  std::vector<AppWindow> WindowsWithAppIds() override { return appWindows; }
  std::optional<std::string> AliasAppId(const std::string& path) override;
  std::vector<AppWindow> appWindows;
  std::map<std::string, std::string> aliases;  // alias path -> AppUserModelID
  // The keys as ReadEnvironmentKeys finds them; "SetEnvironmentValue NAME=value" or
  // "SetEnvironmentValue NAME removed", also changing environment.
  EnvironmentKeys ReadEnvironmentKeys() override { return environmentKeys; }
  void SetEnvironmentValue(const std::string& name,
                           const std::optional<std::string>& value) override;
  EnvironmentKeys environmentKeys;
  // "TypeTextInFront <text>" with the hotkey's keys kept in typedJobs; "WatchKeys <n>" with the
  // list kept in watched (null when none).
  void TypeTextInFront(const TypingJob& job) override;
  void WatchKeys(std::shared_ptr<const WatchedBindings> bindings) override;
  // "WatchMouse <n>", the list kept in watchedMouse.
  void WatchMouse(std::shared_ptr<const WatchedBindings> bindings) override;
  std::vector<TypingJob> typedJobs;
  std::shared_ptr<const WatchedBindings> watched;
  std::shared_ptr<const WatchedBindings> watchedMouse;

 private:
  StartResult Started(const std::string& file);
  std::size_t nextAnswer_ = 0;
  bool inBackground_ = false;
};

// Options that act only in, or everywhere but in, the programs named.
inline LaunchOptions Scoped(ProgramScope scope, const std::string& programs) {
  LaunchOptions options;
  options.Scope = scope;
  options.Programs = programs;
  return options;
}

// GBK <-> UTF-8 with iconv, as Wine's code page 936 does it.
std::string GbkToUtf8(const std::string& gbk);
std::optional<std::string> Utf8ToGbk(const std::string& utf8);
// Real names, paths and lines in GBK whose bytes are often well-formed UTF-8 by chance, and every
// GB2312 character alone: none may be taken for UTF-8.
std::vector<std::string> GbkCorpus();
// Any conversion iconv knows ("UTF-16LE", "CP1252", ...); empty when the text does not convert.
std::optional<std::string> Recode(const char* to, const char* from, const std::string& text);

// A grid held as rows of four texts; row 0 is the header row.
class FakeGrid : public GridPort {
 public:
  FakeGrid();
  std::vector<std::vector<std::string>> rows;
  std::vector<bool> held;  // parallel to rows
  std::vector<bool> disabled;  // parallel to rows
  std::vector<int> slots;  // parallel to rows
  std::vector<std::string> notes;  // parallel to rows
  std::map<int, int> widths;
  int currentRow = 1;
  std::vector<int> selection;  // empty: the current row alone
  int redraws = 0;

  int Rows() const override { return static_cast<int>(rows.size()); }
  std::string Cell(int row, int column) const override;
  void SetCell(int row, int column, const std::string& text) override;
  void AddRow(const std::string& tabJoinedText, int row = -1) override;
  void AddRowCells(const RowCells& cells, int row = -1) override;
  void RemoveRow(int row) override;
  void SetColumnWidth(int column, int twips) override { widths[column] = twips; }
  int CurrentRow() const override { return currentRow; }
  void Redraw() override { ++redraws; }
  void MarkRowHeld(int row, bool isHeld) override;
  bool RowHeld(int row) const override;
  void MarkRowDisabled(int row, bool off) override {
    if (row > 0 && row < Rows()) disabled[row] = off;
  }
  bool RowDisabled(int row) const override { return row > 0 && row < Rows() && disabled[row]; }
  void SetRowNote(int row, const std::string& note) override {
    if (row > 0 && row < Rows()) notes[row] = note;
  }
  std::string RowNote(int row) const override { return row > 0 && row < Rows() ? notes[row] : ""; }
  void SetRowSlot(int row, int slot) override;
  int RowSlot(int row) const override;
  std::vector<int> SelectedRows() const override;
};

// "Normal", "Pressed" or "Disabled".
std::string PictureName(TrayPicture picture);

// Records what the dispatch asks of the main window, into the same call list as the system.
// Base is MainView, or a view that extends it (the start-up's main window view).
template <class Base>
class RecordingViewOf : public Base, public PadHost {
 public:
  explicit RecordingViewOf(std::vector<std::string>& calls) : calls_(calls) {}
  void ShowNormal() override { calls_.push_back("View.ShowNormal"); }
  void Show() override { calls_.push_back("View.Show"); }
  void SetTrayPicture(TrayPicture p) override {
    trayPicture = p;
    calls_.push_back("View.Tray" + PictureName(p));
  }
  void PopupHotkeyMenu() override { calls_.push_back("View.PopupHotkeyMenu"); }
  void PopupSystemMenu() override { calls_.push_back("View.PopupSystemMenu"); }
  void StartTrayMenuTimer() override { calls_.push_back("View.StartTrayMenuTimer"); }
  void StopTrayMenuTimer() override { calls_.push_back("View.StopTrayMenuTimer"); }
  void RevealFromEdge() override { calls_.push_back("View.RevealFromEdge"); }
  void ShowPad() override { calls_.push_back("View.ShowPad"); }
  void RemoveTrayIcon() override {
    trayShown = false;
    calls_.push_back("View.RemoveTrayIcon");
  }
  void RestoreWindowProcedures() override { calls_.push_back("View.RestoreWindowProcedures"); }
  void Unload() override { calls_.push_back("View.Unload"); }
  void ShowPadForAction() override { calls_.push_back("Pad.ShowForAction"); }

  // The tray icon as the notification area would show it.
  bool trayShown = false;
  TrayPicture trayPicture = TrayPicture::kNormal;

 protected:
  std::vector<std::string>& calls_;
};

using RecordingView = RecordingViewOf<MainView>;

// Settings held in a map; a missing name reads as empty text.
class MemorySettings : public SettingsStore {
 public:
  std::map<std::string, std::string, std::less<>> values;
  // When set, each Set adds "Set name value", and each SetRunEntry "SetRunEntry value".
  std::vector<std::string>* calls = nullptr;
  std::string Get(std::string_view name) override;
  bool Set(std::string_view name, const std::string& value) override;
  std::string runEntry;  // empty: missing
  std::string GetRunEntry() override { return runEntry; }
  bool SetRunEntry(const std::string& value) override {
    if (calls != nullptr) calls->push_back("SetRunEntry " + value);
    runEntry = value.empty() ? " " : value;
    return true;
  }
};

}  // namespace tarvek::testing
